#pragma once

#include <QString>
#include <QStringView>

namespace sokuri {

// The address that a redirect link's parameter value carries in base64url
// after a fixed prefix (Bing's "u=a1aHR0cHM6Ly9..."): the rest of the value
// decoded, padding optional, as UTF-8. Empty when the value does not start
// with the prefix, is no base64url, or does not decode to an "http:" or
// "https:" address without control characters.
QString Base64LinkAddress(QStringView value, QStringView prefix);

} // namespace sokuri
