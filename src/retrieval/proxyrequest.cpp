#include "retrieval/proxyrequest.h"

#include "common/proxysettings.h"

namespace sokuri {

using namespace Qt::StringLiterals;

QByteArray ProxyFormRequest(const QByteArray& request, const PluginSlot& slot,
                            const QNetworkProxy& proxy)
{
    const qsizetype space = request.indexOf(' ');
    const qsizetype lineEnd = request.indexOf("\r\n");
    if (space < 0 || lineEnd < 0 || space > lineEnd)
        return request;
    const int defaultPort = slot.Scheme == u"https" ? 443 : 80;
    QByteArray origin = slot.Scheme.toLatin1() + "://" + slot.Host.toLatin1();
    if (slot.Port != defaultPort)
        origin += ':' + QByteArray::number(slot.Port);
    // The method, the origin before the path, the rest of the request line.
    QByteArray result =
        request.left(space + 1) + origin + request.mid(space + 1, lineEnd + 2 - (space + 1));
    if (!proxy.user().isEmpty()) {
        const QByteArray credentials = (proxy.user() + u':' + proxy.password()).toUtf8();
        result += "Proxy-Authorization: Basic " + credentials.toBase64() + "\r\n";
    }
    return result + request.mid(lineEnd + 2);
}

QString ProxyFailureReason(QAbstractSocket::SocketError error, const QNetworkProxy& proxy,
                           bool directConnection)
{
    QString reason;
    switch (error) {
    case QAbstractSocket::ProxyConnectionRefusedError:
        reason = u"接続を拒否されました"_s;
        break;
    case QAbstractSocket::ProxyNotFoundError:
        reason = u"ホストが見つかりません"_s;
        break;
    case QAbstractSocket::ProxyConnectionClosedError:
        reason = u"接続が切れました"_s;
        break;
    case QAbstractSocket::ProxyConnectionTimeoutError:
        reason = u"時間切れ"_s;
        break;
    case QAbstractSocket::ProxyAuthenticationRequiredError:
        reason = u"認証が必要です"_s;
        break;
    case QAbstractSocket::ProxyProtocolError:
        reason = u"応答が読めません"_s;
        break;
    case QAbstractSocket::ConnectionRefusedError:
        if (directConnection)
            reason = u"接続を拒否されました"_s;
        break;
    case QAbstractSocket::HostNotFoundError:
        if (directConnection)
            reason = u"ホストが見つかりません"_s;
        break;
    default:
        break;
    }
    return reason.isEmpty() ? QString() : u"プロキシ "_s + ProxyName(proxy) + u": "_s + reason;
}

} // namespace sokuri
