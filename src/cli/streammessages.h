#pragma once

#include "platform/messagesink.h"

#include <QTextStream>

namespace sokuri::cli {

// Messages for the user go to the error stream on the command line; the
// command remembers whether a critical one was shown.
class StreamMessages : public MessageSink
{
public:
    explicit StreamMessages(QTextStream& err)
        : m_err(err)
    {}

    void critical(const UserMessage& message) override
    {
        m_failed = true;
        m_err << message.text << Qt::endl;
    }
    void information(const UserMessage& message) override { m_err << message.text << Qt::endl; }

    bool failed() const { return m_failed; }

private:
    QTextStream& m_err;
    bool m_failed = false;
};

} // namespace sokuri::cli
