#include "testengine/testproxy.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QUrl>

namespace sokuri::test {

namespace {

// Copies what either side sends to the other; closes both when one closes.
void relay(QTcpSocket* client, QTcpSocket* upstream)
{
    QObject::connect(upstream, &QIODevice::readyRead, client,
                     [client, upstream] { client->write(upstream->readAll()); });
    QObject::connect(client, &QIODevice::readyRead, upstream,
                     [client, upstream] { upstream->write(client->readAll()); });
    QObject::connect(upstream, &QAbstractSocket::disconnected, client, [client, upstream] {
        client->write(upstream->readAll());
        client->disconnectFromHost();
    });
    QObject::connect(client, &QAbstractSocket::disconnected, upstream,
                     [upstream] { upstream->disconnectFromHost(); });
}

} // namespace

TestProxy::TestProxy(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TestProxy::accept);
}

bool TestProxy::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void TestProxy::accept()
{
    while (QTcpSocket* client = m_server.nextPendingConnection()) {
        connect(client, &QAbstractSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QIODevice::readyRead, this, [this, client] { serve(client); });
    }
}

void TestProxy::serve(QTcpSocket* client)
{
    if (client->property("served").toBool())
        return; // a tunnel or a forwarded request relays the rest
    QByteArray head = client->property("head").toByteArray() + client->readAll();
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        client->setProperty("head", head);
        return;
    }
    client->setProperty("served", true);
    const QByteArray rest = head.mid(end + 4);
    head.truncate(end + 4);
    m_requests.append(head);

    const QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
    const bool tunnel = words.value(0) == "CONNECT";
    const QUrl target = tunnel ? QUrl(QStringLiteral("//") + QString::fromLatin1(words.value(1)))
                               : QUrl(QString::fromLatin1(words.value(1)));
    if (words.size() != 3 || !m_hosts.contains(target.host().toLower()) || target.port() <= 0) {
        client->write("HTTP/1.0 502 Bad Gateway\r\n\r\n");
        client->disconnectFromHost();
        return;
    }
    auto* upstream = new QTcpSocket(client);
    connect(upstream, &QAbstractSocket::errorOccurred, client, [client] {
        client->write("HTTP/1.0 502 Bad Gateway\r\n\r\n");
        client->disconnectFromHost();
    });
    connect(upstream, &QAbstractSocket::connected, client,
            [client, upstream, tunnel, words, target, head, rest] {
                if (tunnel) {
                    client->write("HTTP/1.1 200 Connection established\r\n\r\n");
                } else {
                    // The request goes on in origin form, without the proxy's own lines.
                    QByteArray forwarded =
                        words[0] + ' ' +
                        target.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority) + ' ' +
                        words[2] + "\r\n";
                    for (const QByteArray& line : head.mid(head.indexOf("\r\n") + 2).split('\n')) {
                        if (!line.trimmed().isEmpty() &&
                            !line.toLower().startsWith("proxy-authorization:"))
                            forwarded += line.trimmed() + "\r\n";
                    }
                    upstream->write(forwarded + "\r\n" + rest);
                }
                relay(client, upstream);
                if (tunnel && !rest.isEmpty())
                    upstream->write(rest);
                if (client->bytesAvailable() > 0)
                    upstream->write(client->readAll());
            });
    upstream->connectToHost(QHostAddress::LocalHost, quint16(target.port()));
}

} // namespace sokuri::test
