#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Conversions between the Japanese encodings the program meets: ISO-2022-JP
// and EUC-JP lines from search engines and the ChaSen server are decoded to
// text, and Shift_JIS text goes to the ChaSen server as EUC-JP. All three use
// the arithmetic between JIS X 0208 row/cell bytes and Shift_JIS; the decoders
// form a Shift_JIS code and decode it through code page 932.
namespace sokuri {

// Decodes one ISO-2022-JP line (usually ending in CR LF). ESC $ B switches
// to kanji mode and ESC ( B or ESC ( J back, starting outside kanji mode on
// every line; outside kanji mode raw Shift_JIS passes as Shift_JIS. When the
// line cannot be decoded (an escape or a kanji pair cut off by its end, or a
// kanji-mode pair outside the arithmetic's byte range) every byte comes back
// as its own single-byte character of code page 932.
QString DecodeJis(QByteArrayView line);

// DecodeJis into out, which has room for one character a byte; returns the
// number of characters written.
qsizetype DecodeJisInto(QByteArrayView line, QChar* out);

// Decodes one EUC-JP line. 0x8E followed by a byte gives the full-width form
// of that single-byte character (half-width katakana become full-width, each
// on its own, so a voiced-sound mark stays a separate mark); any other byte
// from 0x80 up takes the next byte as its pair. A final byte that no pair
// took decodes as a single byte of code page 932.
QString DecodeEuc(QByteArrayView line);

// DecodeEuc into out, which has room for one character a byte; returns the
// number of characters written.
qsizetype DecodeEucInto(QByteArrayView line, QChar* out);

// The most bytes SjisToEuc gives.
inline constexpr qsizetype SjisToEucMaxBytes = 65536;

// Converts Shift_JIS bytes to EUC-JP: ASCII passes, half-width katakana gets
// the 0x8E prefix, double-byte characters move to their EUC-JP codes. A lead
// byte followed by a byte below 31 is copied unchanged and the next byte
// converted on its own. The result ends at the last whole character within
// SjisToEucMaxBytes bytes.
QByteArray SjisToEuc(QByteArrayView sjis);

} // namespace sokuri
