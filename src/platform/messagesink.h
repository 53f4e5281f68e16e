#pragma once

#include "common/usermessage.h"

namespace sokuri {

// Where the core's messages for the user go: message boxes in the window, the
// error stream on the command line, a list in tests.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void critical(const UserMessage& message) = 0;
    virtual void information(const UserMessage& message) = 0;
    // A question with Yes and No; true for Yes. Where nobody can answer, as
    // on the command line, the answer is No.
    virtual bool question(const UserMessage& message)
    {
        (void)message;
        return false;
    }
};

} // namespace sokuri
