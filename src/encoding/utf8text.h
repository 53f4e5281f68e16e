#pragma once

#include <QString>

#include <string_view>

namespace sokuri {

// QString::fromUtf8(utf8), faster for text that is well-formed UTF-8 (runs
// of ASCII sixteen bytes a step, the other characters without Qt's error
// handling). Anything else (a malformed or overlong sequence, a surrogate, a
// byte order mark in front) is handed to QString::fromUtf8, so the result is
// always the same as its.
QString Utf8Text(std::string_view utf8);

// Decodes well-formed UTF-8 without a byte order mark in front into out,
// which has room for one UTF-16 unit a byte, and returns the number of units
// written; -1 for anything that Utf8Text hands to QString::fromUtf8.
qsizetype Utf8TextInto(std::string_view utf8, QChar* out);

} // namespace sokuri
