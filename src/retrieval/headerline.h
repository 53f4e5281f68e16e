#pragma once

#include <QByteArrayView>

#include <optional>

namespace sokuri {

// The status code of an "HTTP/x.y NNN …" status line, or 0 for any other
// line.
int HttpStatusCode(QByteArrayView line);

// The value of a header line "Name: value" whose name is name in any letter
// case, trimmed; nothing when the line is another header or none.
std::optional<QByteArrayView> HeaderValue(QByteArrayView line, QByteArrayView name);

} // namespace sokuri
