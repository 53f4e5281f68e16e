#include "demoengine/demoserver.h"

#include "demoengine/democonnection.h"

#include <QTcpSocket>

#include <utility>

using namespace Qt::StringLiterals;

namespace sokuri::demo {

DemoServer::DemoServer(const DemoSearch& search, QString chasenProgram, QObject* parent)
    : QObject(parent)
    , m_search(search)
    , m_chasenProgram(std::move(chasenProgram))
{
    connect(&m_server, &QTcpServer::newConnection, this, &DemoServer::accept);
}

bool DemoServer::listen(const QHostAddress& address, quint16 port)
{
    return m_server.listen(address, port);
}

void DemoServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_connections >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const QString host = m_server.serverAddress().protocol() == QAbstractSocket::IPv6Protocol
                                 ? u'[' + m_server.serverAddress().toString() + u']'
                                 : m_server.serverAddress().toString();
        auto* connection = new DemoConnection(
            socket, m_search, u"http://%1:%2"_s.arg(host).arg(m_server.serverPort()),
            m_chasenProgram, this);
        ++m_connections;
        connect(connection, &QObject::destroyed, this, [this] { --m_connections; });
    }
}

} // namespace sokuri::demo
