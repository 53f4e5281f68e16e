#pragma once

#include <QString>

namespace sokuri {

// A message for the user in the program's own words: the text and the title
// of the message box that shows it, or the line a command prints.
struct UserMessage
{
    QString text;
    QString title;
};

} // namespace sokuri
