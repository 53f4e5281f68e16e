#include "searchplugins/downloaderror.h"

#include "common/proxysettings.h"

#include <QNetworkAccessManager>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

QString proxyName(const QNetworkReply& reply)
{
    const QNetworkAccessManager* manager = reply.manager();
    if (manager && manager->proxyFactory()) {
        const QList<QNetworkProxy> proxies =
            manager->proxyFactory()->queryProxy(QNetworkProxyQuery(reply.url()));
        if (!proxies.isEmpty() && proxies.first().type() != QNetworkProxy::NoProxy)
            return ProxyName(proxies.first());
    }
    return {};
}

} // namespace

QString DownloadErrorText(const QNetworkReply& reply, bool aborted)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // Through a proxy, the connection that fails is the one to the proxy.
    const QString proxy = proxyName(reply);
    const QString via = proxy.isEmpty() ? QString() : u"プロキシ "_s + proxy + u": "_s;
    switch (reply.error()) {
    case QNetworkReply::HostNotFoundError:
        return via + u"ホストが見つかりません"_s;
    case QNetworkReply::ConnectionRefusedError:
        return via + u"接続を拒否されました"_s;
    case QNetworkReply::RemoteHostClosedError:
        return u"接続が切れました"_s;
    case QNetworkReply::TimeoutError:
        return u"時間切れ"_s;
    case QNetworkReply::OperationCanceledError:
        return aborted ? u"中止しました"_s : u"時間切れ"_s;
    case QNetworkReply::SslHandshakeFailedError:
        return u"TLS の接続に失敗しました"_s;
    case QNetworkReply::ProxyConnectionRefusedError:
        return u"プロキシ "_s + proxy + u": 接続を拒否されました"_s;
    case QNetworkReply::ProxyConnectionClosedError:
        return u"プロキシ "_s + proxy + u": 接続が切れました"_s;
    case QNetworkReply::ProxyNotFoundError:
        return u"プロキシ "_s + proxy + u": ホストが見つかりません"_s;
    case QNetworkReply::ProxyTimeoutError:
        return u"プロキシ "_s + proxy + u": 時間切れ"_s;
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return u"プロキシ "_s + proxy + u": 認証が必要です"_s;
    default:
        break;
    }
    if (status >= 400) {
        const QString phrase =
            reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().simplified();
        return u"HTTP "_s + QString::number(status) +
               (phrase.isEmpty() ? QString() : u" ("_s + phrase + u')');
    }
    return u"接続に失敗しました ("_s + reply.errorString() + u')';
}

} // namespace sokuri
