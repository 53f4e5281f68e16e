#include "demoengine/querystring.h"

#include "encoding/codepage932.h"

namespace sokuri::demo {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray PercentDecode(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                bytes += char(high * 16 + low);
                i += 2;
                continue;
            }
        }
        bytes += text[i];
    }
    return bytes;
}

QByteArray QueryParameter(QByteArrayView query, QByteArrayView name)
{
    qsizetype start = 0;
    while (start <= query.size()) {
        qsizetype end = query.indexOf('&', start);
        if (end < 0)
            end = query.size();
        const QByteArrayView pair = query.sliced(start, end - start);
        const qsizetype equals = pair.indexOf('=');
        const QByteArrayView key = equals < 0 ? pair : pair.first(equals);
        if (PercentDecode(key) == name)
            return equals < 0 ? QByteArray() : PercentDecode(pair.sliced(equals + 1));
        start = end + 1;
    }
    return {};
}

QString QueryText(QByteArrayView query, bool utf8)
{
    const QByteArray bytes = QueryParameter(query, "q");
    return utf8 ? QString::fromUtf8(bytes) : cp932::decode(bytes);
}

} // namespace sokuri::demo
