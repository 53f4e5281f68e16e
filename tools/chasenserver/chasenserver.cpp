#include "chasenserver.h"

#include "chasensession.h"

#include <QTcpSocket>

namespace sokuri::chasenserver {

ChasenServer::ChasenServer(const QString& chasenProgram, QObject* parent)
    : QObject(parent)
    , m_chasenProgram(chasenProgram)
{
    connect(&m_server, &QTcpServer::newConnection, this, &ChasenServer::acceptConnections);
}

bool ChasenServer::listen(const QHostAddress& address, quint16 port, QString* errorText)
{
    if (m_server.listen(address, port))
        return true;
    if (errorText)
        *errorText = m_server.errorString();
    return false;
}

void ChasenServer::acceptConnections()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection())
        new ChasenSession(socket, m_chasenProgram, this);
}

} // namespace sokuri::chasenserver
