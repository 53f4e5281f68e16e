#include "analysis/chasenclient.h"

#include "analysis/keywords.h"
#include "app/socketcontrol.h"
#include "encoding/charconv.h"
#include "encoding/codepage932.h"

#include <QTcpSocket>

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
    m_keywords = &keywords;
    m_text = text;
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
    m_line.clear();
    m_cutting = false;
    m_awaitingTrail = false;
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
        for (const char byte : bytes)
            takeByte(byte);
    }
}

void ChasenClient::takeByte(char byte)
{
    if (byte == '\n' || byte == '\r') {
        endLine();
        return;
    }
    if (m_cutting)
        return;
    if (m_line.size() >= MaxLineBytes) {
        // Cut at a character boundary, so the kept part decodes as it was sent.
        if (m_awaitingTrail)
            m_line.chop(1);
        m_cutting = true;
        return;
    }
    m_line.append(byte);
    m_awaitingTrail = !m_awaitingTrail && uchar(byte) >= 0x80;
}

void ChasenClient::endLine()
{
    m_cutting = false;
    m_awaitingTrail = false;
    if (m_line.isEmpty())
        return;
    m_line.append("\r\n");
    const QString line = DecodeEuc(m_line);
    m_line.clear();
    dispatchLine(line);
}

void ChasenClient::dispatchLine(const QString& line)
{
    if (line.contains(u"200 Running ChaSen")) {
        if (!m_socket)
            return;
        m_socket->write("RUN -c\n");
        m_socket->write(SjisToEuc(cp932::encode(m_text)));
        m_socket->write("\n");
    } else if (line.contains(u"200 OK")) {
        // Acknowledgements carry nothing for the analysis.
    } else if (line.contains(u"EOS")) {
        if (m_socket)
            m_socket->write(".\nQUIT\n");
    } else if (m_keywords) {
        AddKeywordLine(*m_keywords, line);
    }
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
