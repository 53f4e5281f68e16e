#pragma once

#include "common/appstate.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QProcessEnvironment>
#include <QString>

namespace sokuri {

// Which proxy the program's connections go through: the section "proxy" of
// sokuri.ini.
struct ProxySettings
{
    enum Type : int { None = 0, Desktop = 1, Own = 2 };

    int type = Desktop; // absent: the desktop's (the environment's) proxy
    QString host;       // the user's own proxy
    QString port;       // as written
    QString user;       // optional
    QString password;   // optional

    friend bool operator==(const ProxySettings&, const ProxySettings&) = default;
};

// Reads the section "proxy" of sokuri.ini; a missing file, section or "type"
// reads as the desktop's proxy, a "type" other than 0, 1 or 2 likewise.
ProxySettings LoadProxySettings(const AppPaths& paths);

// Writes the five keys of the section "proxy", the file replaced whole or not
// at all.
bool SaveProxySettings(const AppPaths& paths, const ProxySettings& settings,
                       QString* errorText = nullptr);

// The proxy a connection to host by scheme ("http" or "https") goes through:
// QNetworkProxy::NoProxy, or an HTTP (or, from the environment, SOCKS 5)
// proxy. The desktop's proxy is the environment's "https_proxy" for https
// and "http_proxy" for http (the upper-case names too), unless the host
// matches "no_proxy" (a comma-separated list of host names or domain
// suffixes, "*" for every host).
QNetworkProxy
ProxyFor(const ProxySettings& settings, const QString& scheme, const QString& host,
         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// "host:port" of a proxy, as statuses and messages name it.
QString ProxyName(const QNetworkProxy& proxy);

// Gives QNetworkAccessManager the proxy of each request by the settings.
class SettingsProxyFactory : public QNetworkProxyFactory
{
public:
    explicit SettingsProxyFactory(const ProxySettings& settings)
        : m_settings(settings)
    {}

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;

private:
    ProxySettings m_settings;
};

} // namespace sokuri
