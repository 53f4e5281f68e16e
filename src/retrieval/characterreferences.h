#pragma once

#include <QString>
#include <QStringView>

namespace sokuri {

// Replaces the character references of HTML text by their characters:
// numeric ones ("&#187;", "&#x4EAC;") and the named ones of HTML ("&amp;",
// "&quot;", "&nbsp;", "&raquo;", ...). A reference must end with ";"; one that
// names no known character, or a number that is no character (zero, a
// surrogate, beyond U+10FFFF), is replaced by U+FFFD when numeric and left as
// written when named.
QString DecodeCharacterReferences(QStringView text);

} // namespace sokuri
