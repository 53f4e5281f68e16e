#include "encoding/urlconv.h"

#include "encoding/codepage932.h"

#include <QChar>

#include <array>
#include <string_view>

namespace sokuri {

namespace {

constexpr std::array<bool, 256> makeEscapedBytes()
{
    std::array<bool, 256> escaped{};
    for (int b = 0; b < 256; ++b)
        escaped[b] = b <= 32 || b >= 127;
    for (char c : std::string_view(" $&=+\"\\';/#?:"))
        escaped[uchar(c)] = true;
    return escaped;
}

constexpr std::array<bool, 256> EscapedBytes = makeEscapedBytes();

} // namespace

QString UrlEncode(QStringView text, int keep)
{
    return UrlEncodeBytes(cp932::encode(text), keep);
}

QString UrlEncodeBytes(QByteArrayView bytes, int keep)
{
    constexpr char16_t Hex[] = u"0123456789ABCDEF";
    QString encoded(bytes.size() * 3, Qt::Uninitialized);
    QChar* const out = encoded.data();
    QChar* d = out;
    for (const char byte : bytes) {
        const uchar b = uchar(byte);
        if (b != keep && EscapedBytes[b]) {
            *d++ = QChar(u'%');
            *d++ = QChar(Hex[b >> 4]);
            *d++ = QChar(Hex[b & 0xF]);
        } else {
            *d++ = QChar(char16_t(b));
        }
    }
    encoded.truncate(d - out);
    return encoded;
}

} // namespace sokuri
