#include "platform/qtmessagesink.h"

#include <QMessageBox>

namespace sokuri {

namespace {

// A message box breaks lines at line feeds only; a carriage return of the
// program's messages ("source" CR "description") starts a line too.
QString shown(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    return lines;
}

} // namespace

QtMessageSink::QtMessageSink(QWidget* parent)
    : m_parent(parent)
{}

void QtMessageSink::critical(const UserMessage& message)
{
    QMessageBox::critical(m_parent.data(), message.title, shown(message.text));
}

void QtMessageSink::information(const UserMessage& message)
{
    QMessageBox::information(m_parent.data(), message.title, shown(message.text));
}

bool QtMessageSink::question(const UserMessage& message)
{
    return QMessageBox::question(m_parent.data(), message.title, shown(message.text),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

} // namespace sokuri
