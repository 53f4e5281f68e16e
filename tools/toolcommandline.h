#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

// The command-line handling the helper programs share: they take options
// only, print their help on request and say what is wrong on standard error.
namespace sokuri::tools {

// The exit status of wrong usage.
inline constexpr int UsageStatus = 2;

// Parses the program's arguments with parser. Returns the exit status when
// the program is done already (its help shown: 0; wrong usage, said on err
// after the program's name: 2), or -1 when it goes on.
inline int ParseToolArguments(QCommandLineParser& parser, QTextStream& out, QTextStream& err)
{
    const QString name = QCoreApplication::applicationName();
    if (!parser.parse(QCoreApplication::arguments())) {
        err << name << ": " << parser.errorText() << Qt::endl;
        return UsageStatus;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << name << ": unexpected argument " << parser.positionalArguments().first() << Qt::endl;
        return UsageStatus;
    }
    return -1;
}

// The value of a port option, 0 to 65535; -1 after saying on err that it is
// no such number.
inline int PortValue(const QCommandLineParser& parser, const QCommandLineOption& option,
                     QTextStream& err)
{
    bool ok = false;
    const uint port = parser.value(option).toUInt(&ok);
    if (ok && port <= 65535)
        return int(port);
    err << QCoreApplication::applicationName() << ": the port must be a number from 0 to 65535"
        << Qt::endl;
    return -1;
}

} // namespace sokuri::tools
