#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable test failure output for Qt's text types.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '[' << list.join(QStringLiteral("|")).toStdString() << ']';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << "bytes[" << bytes.toHex(' ').toStdString() << ']';
}
