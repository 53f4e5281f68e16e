#pragma once

#include "searchplugins/pluginslot.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QNetworkProxy>
#include <QString>

namespace sokuri {

// A request for an http engine as an HTTP proxy expects it: the request
// line's path in absolute form ("GET http://host:port/path?query HTTP/1.0"),
// and a Proxy-Authorization line (basic) when the proxy has a user. A request
// with no request line is returned as it is.
QByteArray ProxyFormRequest(const QByteArray& request, const PluginSlot& slot,
                            const QNetworkProxy& proxy);

// The status of an engine whose proxy failed, naming the proxy, not the
// engine; empty when the error is not the proxy's (directConnection: the
// socket itself was connected to the proxy, so refusals and lookups are the
// proxy's).
QString ProxyFailureReason(QAbstractSocket::SocketError error, const QNetworkProxy& proxy,
                           bool directConnection);

} // namespace sokuri
