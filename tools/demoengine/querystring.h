#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace sokuri::demo {

// Percent-decoding: "%" and two hexadecimal digits give that byte; a "%"
// without them stays as it is. "+" stays a "+" (the keywords are split at
// it later).
QByteArray PercentDecode(QByteArrayView text);

// The bytes of the first parameter called name in a URL query string
// ("a=1&q=..."), percent-decoded; empty when there is none.
QByteArray QueryParameter(QByteArrayView query, QByteArrayView name);

// The query text of a search request: its q parameter, decoded from UTF-8
// on the UTF-8 path and from Shift_JIS (code page 932) everywhere else.
// Bytes that are no character become U+FFFD.
QString QueryText(QByteArrayView query, bool utf8);

} // namespace sokuri::demo
