#include "analysis/chasenclient.h"

#include "common/socketcontrol.h"

#include <QTcpSocket>

#include <algorithm>

namespace sokuri {

ChasenClient::ChasenClient(QObject* parent)
    : QObject(parent)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(1000);
    connect(&m_pause, &QTimer::timeout, this, &ChasenClient::connectToServer);
}

ChasenClient::~ChasenClient()
{
    releaseSocket();
}

quint16 ChasenClient::ParsePort(const QString& port)
{
    const QString digits = port.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    const int value = digits.toInt();
    return value >= 1 && value <= 65535 ? quint16(value) : 0;
}

int ChasenClient::state() const
{
    if (m_error)
        return Error;
    if (m_pause.isActive())
        return Pausing;
    if (!m_socket)
        return Closed;
    // Between the socket's own close and the close handler it still counts
    // as closing.
    return socketcontrol::StateOf(m_socket->state(), Closing);
}

void ChasenClient::start(const QString& text, const QString& host, const QString& port,
                         KeywordList& keywords)
{
    close();
    m_dialogue.begin(text, &keywords);
    m_host = host;
    m_port = ParsePort(port);
    if (m_port == 0)
        m_error = true;
    else
        m_pause.start();
    m_lastReportedState = state();
}

void ChasenClient::close()
{
    m_pause.stop();
    releaseSocket();
    m_error = false;
    // A conversation never continues a line of an earlier one.
    m_dialogue.begin(QString(), nullptr);
    m_lastReportedState = Closed;
}

void ChasenClient::connectToServer()
{
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QAbstractSocket::stateChanged, this, &ChasenClient::reportState);
    connect(m_socket, &QIODevice::readyRead, this, &ChasenClient::sckChasen_DataArrival);
    connect(m_socket, &QAbstractSocket::disconnected, this, &ChasenClient::sckChasen_Close);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &ChasenClient::socketFailed);
    m_socket->connectToHost(m_host, m_port);
    reportState();
}

void ChasenClient::sckChasen_DataArrival()
{
    while (m_socket && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(64 * 1024);
        QByteArrayView rest = bytes;
        while (m_socket && !rest.isEmpty())
            send(m_dialogue.take(rest));
    }
}

void ChasenClient::send(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !m_socket)
        return;
    if (m_socket->bytesToWrite() > std::max(MaxUnsentBytes, qint64(m_dialogue.request().size()))) {
        fail();
        return;
    }
    m_socket->write(bytes);
}

void ChasenClient::sckChasen_Close()
{
    if (!m_socket || m_error)
        return;
    // What is still buffered belongs to the answer.
    sckChasen_DataArrival();
    releaseSocket();
    reportState();
}

void ChasenClient::socketFailed()
{
    if (!m_socket)
        return;
    // The server closing its side is the normal end of the dialogue; the
    // close handler follows.
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    fail();
}

void ChasenClient::fail()
{
    m_error = true;
    releaseSocket();
    reportState();
}

void ChasenClient::releaseSocket()
{
    if (!m_socket)
        return;
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void ChasenClient::reportState()
{
    const int now = state();
    if (now == m_lastReportedState)
        return;
    m_lastReportedState = now;
    emit stateChanged(now);
}

} // namespace sokuri
