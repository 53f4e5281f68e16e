#include "retrieval/base64link.h"

#include "retrieval/entrytext.h"

#include <QByteArray>

#include <algorithm>

namespace sokuri {

QString Base64LinkAddress(QStringView value, QStringView prefix)
{
    if (prefix.isEmpty() || !value.startsWith(prefix))
        return {};
    const QByteArray encoded = value.sliced(prefix.size()).toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(
        encoded, QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return {};
    const QByteArray& bytes = *decoded;
    if (std::any_of(bytes.begin(), bytes.end(),
                    [](char c) { return uchar(c) < 0x20 || c == 0x7f; }))
        return {};
    const QString address = QString::fromUtf8(bytes);
    return IsWebAddress(address) ? address : QString();
}

} // namespace sokuri
