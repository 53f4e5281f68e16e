#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QTcpSocket>

namespace sokuri::test {

// A port of 127.0.0.1 on which nothing listens, so that a connection to it
// is refused. The port stays bound to a socket that never listens while the
// object lives: a port that was only free a moment ago may be given to the
// server of a test that runs at the same time, which would then answer.
class RefusingPort
{
public:
    RefusingPort() { m_socket.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress); }

    quint16 port() const { return m_socket.localPort(); }

private:
    QTcpSocket m_socket;
};

} // namespace sokuri::test
