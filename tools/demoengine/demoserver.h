#pragma once

#include "demoengine/demosearch.h"

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>

namespace sokuri::demo {

// The demo site on one TCP port: every connection gets a DemoConnection over
// the same corpus. At most MaxConnections are served at once; one more is
// closed at once.
class DemoServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxConnections = 64;

    DemoServer(const DemoSearch& search, QString chasenProgram, QObject* parent = nullptr);

    // Listens on the address and port (0: one the system chooses).
    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }

private:
    void accept();

    const DemoSearch& m_search;
    QString m_chasenProgram;
    QTcpServer m_server;
    int m_connections = 0;
};

} // namespace sokuri::demo
