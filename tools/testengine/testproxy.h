#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

namespace sokuri::test {

// A small HTTP proxy on 127.0.0.1 for tests: it takes requests in absolute
// form ("GET http://host:port/path HTTP/1.0") and CONNECT tunnels, and
// reaches only the host names it is told of, each at 127.0.0.1, so an
// engine whose name resolves nowhere is reachable through it alone. Any
// other host gets "502 Bad Gateway".
class TestProxy : public QObject
{
    Q_OBJECT

public:
    explicit TestProxy(QObject* parent = nullptr);

    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    // Lets the proxy reach host (at 127.0.0.1, the port of each request).
    void addHost(const QString& host) { m_hosts.append(host.toLower()); }
    // The head of every request received (request line and headers).
    QList<QByteArray> requests() const { return m_requests; }

private:
    void accept();
    void serve(QTcpSocket* client);

    QTcpServer m_server;
    QStringList m_hosts;
    QList<QByteArray> m_requests;
};

} // namespace sokuri::test
