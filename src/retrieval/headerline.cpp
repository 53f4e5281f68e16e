#include "retrieval/headerline.h"

#include <algorithm>

namespace sokuri {

int HttpStatusCode(QByteArrayView line)
{
    if (!line.startsWith("HTTP/"))
        return 0;
    const qsizetype space = line.indexOf(' ');
    if (space < 0 || space + 4 > line.size())
        return 0;
    const QByteArrayView code = line.sliced(space + 1, 3);
    if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    if (space + 4 < line.size() && line[space + 4] != ' ' && line[space + 4] != '\r')
        return 0;
    return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
}

std::optional<QByteArrayView> HeaderValue(QByteArrayView line, QByteArrayView name)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || line.first(colon).trimmed().compare(name, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return line.sliced(colon + 1).trimmed();
}

} // namespace sokuri
