#pragma once

#include "platform/messagesink.h"

#include <QPointer>
#include <QWidget>

namespace sokuri {

// Message boxes over a window: critical messages with the stop icon,
// information with the information icon, each with an OK button alone;
// questions with Yes and No, No the default.
class QtMessageSink : public MessageSink
{
public:
    explicit QtMessageSink(QWidget* parent);

    void critical(const UserMessage& message) override;
    void information(const UserMessage& message) override;
    bool question(const UserMessage& message) override;

private:
    // The window may close before a late message arrives; the box then has
    // no owner instead of a dangling one.
    QPointer<QWidget> m_parent;
};

} // namespace sokuri
