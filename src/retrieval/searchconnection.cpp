#include "retrieval/searchconnection.h"

#include "app/socketcontrol.h"
#include "encoding/codepage932.h"
#include "retrieval/replyreader.h"

#include <QSslSocket>

#include <chrono>

namespace sokuri {

QByteArray BuildRequestBytes(const PluginSlot& slot)
{
    const QString method = slot.Method.toUpper();
    const int defaultPort = slot.Scheme == u"https" ? 443 : 80;
    const QString host =
        slot.Port == defaultPort ? slot.Host : slot.Host + u':' + QString::number(slot.Port);

    QString head;
    QByteArray body;
    if (method == u"GET") {
        head = u"GET " + slot.Path + u'?' + slot.Query + u" HTTP/1.0\r\n";
        head += u"Host: " + host + u"\r\n";
    } else if (method == u"POST") {
        body = cp932::encode(slot.Query);
        head = u"POST " + slot.Path + u" HTTP/1.0\r\n";
        head += u"Host: " + host + u"\r\n";
        head += u"Content-Type: application/x-www-form-urlencoded\r\n";
        head += u"Content-Length: " + QString::number(body.size()) + u"\r\n";
    } else {
        head = u"\r\nHost: " + host + u"\r\n";
    }
    head += u"\r\n";
    return cp932::encode(head) + body;
}

namespace {

QString failureReason(QAbstractSocket::SocketError error, const QString& detail)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("接続を拒否されました");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("ホストが見つかりません");
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return QStringLiteral("TLS の接続に失敗しました");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("時間切れ");
    case QAbstractSocket::NetworkError:
        return QStringLiteral("接続が切れました");
    default:
        return QStringLiteral("接続に失敗しました (") + detail + u')';
    }
}

} // namespace

SearchConnection::SearchConnection(QObject* parent)
    : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &SearchConnection::timedOut);
}

SearchConnection::~SearchConnection()
{
    releaseSocket();
}

int SearchConnection::state() const
{
    if (m_error)
        return Error;
    if (!m_socket)
        return Closed;
    // A socket that has just closed is still busy until its close has been
    // handled: the rest of the answer is read and the status told first.
    return socketcontrol::StateOf(m_socket->state(), Closing);
}

void SearchConnection::setSslConfiguration(const QSslConfiguration& configuration)
{
    m_sslConfiguration = configuration;
    m_hasSslConfiguration = true;
}

void SearchConnection::releaseSocket()
{
    if (!m_socket)
        return;
    m_timeout.stop();
    QSslSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void SearchConnection::close()
{
    releaseSocket();
    m_error = false;
    m_state.clear();
    if (m_lastReportedState != Closed) {
        m_lastReportedState = Closed;
        emit stateChanged(Closed);
    }
}

void SearchConnection::connectTo(const PluginSlot& slot)
{
    close();
    m_slot = slot;
    m_sawList = false;
    m_status = EngineStatus{slot.Name, EngineStatus::Connecting, 0, {}};
    emit statusChanged(m_status);

    m_socket = new QSslSocket(this);
    if (m_hasSslConfiguration)
        m_socket->setSslConfiguration(m_sslConfiguration);
    connect(m_socket, &QAbstractSocket::stateChanged, this, [this] {
        const int now = state();
        if (now != m_lastReportedState) {
            m_lastReportedState = now;
            emit stateChanged(now);
        }
    });
    connect(m_socket, &QIODevice::readyRead, this, &SearchConnection::readReply);
    connect(m_socket, &QAbstractSocket::disconnected, this, &SearchConnection::serverClosed);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &SearchConnection::socketFailed);

    const int timeout = slot.Timeout > 0 ? slot.Timeout : m_defaultTimeout;
    if (timeout > 0)
        m_timeout.start(std::chrono::seconds(timeout));

    if (slot.Scheme == u"https") {
        connect(m_socket, &QSslSocket::encrypted, this, &SearchConnection::sendRequest);
        m_socket->connectToHostEncrypted(slot.Host, quint16(slot.Port));
    } else {
        connect(m_socket, &QAbstractSocket::connected, this, &SearchConnection::sendRequest);
        m_socket->connectToHost(slot.Host, quint16(slot.Port));
    }
}

void SearchConnection::sendRequest()
{
    if (!m_socket)
        return;
    m_socket->write(BuildRequestBytes(m_slot));
    setStatus(EngineStatus::Receiving);
}

void SearchConnection::readReply()
{
    if (!m_socket)
        return;
    QList<ResultRow> rows;
    while (m_socket && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(64 * 1024);
        ReadReplyBytes(m_slot, m_state, bytes, rows);
        m_sawList = m_sawList || m_state.InList;
    }
    if (!rows.isEmpty()) {
        m_status.rows += int(rows.size());
        emit rowsFound(rows);
        emit statusChanged(m_status);
    }
}

void SearchConnection::serverClosed()
{
    if (m_error || !m_socket)
        return;
    // Whatever is still buffered belongs to the answer.
    readReply();
    if (m_status.rows == 0 && !m_sawList)
        setStatus(EngineStatus::Failed, QStringLiteral("結果の一覧がありません"));
    else
        setStatus(EngineStatus::Done);
    close();
}

void SearchConnection::socketFailed()
{
    if (!m_socket)
        return;
    const QAbstractSocket::SocketError error = m_socket->error();
    // The server closing its side is the normal end of an answer.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    const QString reason = failureReason(error, m_socket->errorString());
    m_error = true;
    releaseSocket();
    m_state.clear();
    setStatus(EngineStatus::Failed, reason);
    if (m_lastReportedState != Error) {
        m_lastReportedState = Error;
        emit stateChanged(Error);
    }
}

void SearchConnection::timedOut()
{
    if (!m_socket)
        return;
    // The rows complete so far stay; an entry still open is dropped.
    readReply();
    setStatus(EngineStatus::Failed, QStringLiteral("時間切れ"));
    close();
}

void SearchConnection::setStatus(EngineStatus::Kind kind, const QString& reason)
{
    m_status.kind = kind;
    m_status.reason = reason;
    emit statusChanged(m_status);
}

} // namespace sokuri
