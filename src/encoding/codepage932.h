#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringView>

#include <array>

// Code page 932 (Microsoft's Shift_JIS), the program's byte form of text in
// its own files, its query bytes and its documents. The table is ICU's
// "windows-31j", so 0x8160 is U+FF5E as Windows has it.
namespace sokuri::cp932 {

// Decodes a run of Shift_JIS bytes. A byte sequence that is no character
// becomes U+FFFD; nothing is dropped silently.
QString decode(QByteArrayView bytes);

// Decodes bytes into out, which has room for one character a byte, and
// returns the number of characters written; -1 (out then holds nothing of
// use) when the bytes hold a sequence that is no character, which only
// decode's converter judges. Where it decodes, it gives what decode gives.
qsizetype decodeInto(QByteArrayView bytes, QChar* out);

// decode through ICU's converter for every byte: the reference that the
// table decoding behind decode and decodeInto is checked against.
QString decodeWithConverter(QByteArrayView bytes);

// Encodes text as Shift_JIS. A character that code page 932 cannot hold
// becomes "?" (plain texts: settings, plugin values, query words).
QByteArray encode(QStringView text);

// Encodes text as Shift_JIS, writing every character that code page 932
// cannot hold as a hexadecimal numeric character reference ("&#x20BB7;"), so
// an HTML text keeps all of its characters.
QByteArray encodeWithReferences(QStringView text);

// True when the byte starts a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool isLeadByte(uchar byte);

// The character of one byte taken on its own: ASCII, half-width katakana
// (0xA1-0xDF), or what code page 932 gives for any other single byte
// (U+FFFD where it gives nothing).
QChar decodeByte(uchar byte);

// The character of the double-byte code lead * 256 + trail, or U+FFFD when
// code page 932 has none for it (also when lead is no lead byte).
QChar decodePair(uchar lead, uchar trail);

// The table behind decodePair, indexed by lead * 256 + trail, for decoders
// that look up many characters in a row.
const std::array<char16_t, 65536>& pairTable();

} // namespace sokuri::cp932
