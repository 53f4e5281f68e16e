#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Percent-encoding of the names and values of a search query.
namespace sokuri {

// Percent-encodes the Shift_JIS bytes of text (a character that code page
// 932 cannot hold is "?" first). Controls, the space, DEL, every byte from
// 0x80 up and the characters $ & = + " \ ' ; / # ? : become "%" and two
// upper-case hexadecimal digits; everything else passes, "%" included. A byte
// equal to keep passes unencoded: query values use keep = 43 so that the "+"
// joining keywords stays a "+"; -1 keeps nothing.
QString UrlEncode(QStringView text, int keep = -1);

// The same encoding over the given bytes, for queries in another character
// set (UTF-8).
QString UrlEncodeBytes(QByteArrayView bytes, int keep = -1);

} // namespace sokuri
