#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace sokuri::demo {

// The character sets the demo engine answers in, one search path each.
enum class PageCharset { Jis, Euc, Sjis, Utf8 };

// The charset of a search path ("/jis", "/euc", "/sjis", "/utf8"); nothing
// for any other path.
std::optional<PageCharset> CharsetOfPath(QStringView path);

// The IANA name of the character set, for the page's headers.
QString CharsetName(PageCharset charset);

// The bytes of a page in the character set. The Japanese encodings take
// their codes from code page 932, so a page reads the same in all four: EUC-JP
// and ISO-2022-JP move each Shift_JIS code of JIS X 0208 (rows 1 to 94) to
// its row and cell. A character none of them can hold is written as a
// hexadecimal numeric character reference ("&#x20BB7;"), and so is
// half-width katakana in ISO-2022-JP. In ISO-2022-JP every line returns to
// ASCII before its line break and the page ends in ASCII, so each line can
// be decoded on its own.
QByteArray EncodePage(QStringView text, PageCharset charset);

} // namespace sokuri::demo
