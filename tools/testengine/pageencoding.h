#pragma once

#include <QByteArray>
#include <QString>

namespace sokuri::test {

// The bytes of a page in a search engine's character set: "iso-2022-jp",
// "euc-jp", "shift_jis" (code page 932, the Microsoft table), "utf-8", case
// ignored; the plugin names "x-euc-jp" and "x-sjis" are taken as well. In
// ISO-2022-JP every line returns to ASCII before its line break, so each
// line can be decoded on its own. An unknown character set gives an empty
// array; characters the set cannot hold become "?".
QByteArray EncodePage(const QString& text, const QString& charset);

} // namespace sokuri::test
