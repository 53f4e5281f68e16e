#include "platform/qtmessagesink.h"

#include <QMessageBox>

namespace sokuri {

QtMessageSink::QtMessageSink(QWidget* parent)
    : m_parent(parent)
{}

void QtMessageSink::critical(const UserMessage& message)
{
    QMessageBox::critical(m_parent.data(), message.title, message.text);
}

void QtMessageSink::information(const UserMessage& message)
{
    QMessageBox::information(m_parent.data(), message.title, message.text);
}

bool QtMessageSink::question(const UserMessage& message)
{
    return QMessageBox::question(m_parent.data(), message.title, message.text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

} // namespace sokuri
