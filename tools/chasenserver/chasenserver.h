#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

namespace sokuri::chasenserver {

// Accepts ChaSen server connections and gives each one a session of its own;
// the sessions run side by side in the event loop.
class ChasenServer : public QObject
{
    Q_OBJECT

public:
    explicit ChasenServer(const QString& chasenProgram, QObject* parent = nullptr);

    // Listens on address and port (0: any free port); false with the reason
    // in errorText when that fails.
    bool listen(const QHostAddress& address, quint16 port, QString* errorText);
    quint16 port() const { return m_server.serverPort(); }

private:
    void acceptConnections();

    QTcpServer m_server;
    QString m_chasenProgram;
};

} // namespace sokuri::chasenserver
