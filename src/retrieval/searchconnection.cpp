#include "retrieval/searchconnection.h"

#include "searchplugins/pluginkey.h"

#include "common/socketcontrol.h"
#include "encoding/codepage932.h"
#include "retrieval/answercause.h"
#include "retrieval/entryreader.h"
#include "retrieval/positionrelevance.h"
#include "retrieval/proxyrequest.h"
#include "retrieval/replyreader.h"

#include <QSslSocket>
#include <QUrl>

#include <algorithm>
#include <chrono>

namespace sokuri {

QByteArray BuildRequestBytes(const PluginSlot& slot)
{
    const QString method = slot.Method.toUpper();
    const int defaultPort = slot.Scheme == u"https" ? 443 : 80;
    const QString host =
        slot.Port == defaultPort ? slot.Host : slot.Host + u':' + QString::number(slot.Port);

    // The Host line, the User-Agent and the plugin's own header lines.
    QString headers = u"Host: " + host + u"\r\n";
    if (!slot.UserAgent.isEmpty())
        headers += u"User-Agent: " + slot.UserAgent + u"\r\n";
    for (const QString& line : slot.Headers)
        headers += line + u"\r\n";

    QString head;
    QByteArray body;
    if (method == u"GET") {
        head = u"GET " + slot.Path + u'?' + slot.Query + u" HTTP/1.0\r\n" + headers;
    } else if (method == u"POST") {
        body = cp932::encode(slot.Query);
        head = u"POST " + slot.Path + u" HTTP/1.0\r\n" + headers;
        head += u"Content-Type: application/x-www-form-urlencoded\r\n";
        head += u"Content-Length: " + QString::number(body.size()) + u"\r\n";
    } else {
        head = u"\r\n" + headers;
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

// The address a slot asks, as a browser would open it.
QString slotAddress(const PluginSlot& slot)
{
    const bool https = slot.Scheme == u"https";
    const QString port =
        slot.Port == (https ? 443 : 80) ? QString() : u':' + QString::number(slot.Port);
    QString address = (https ? QStringLiteral("https://") : QStringLiteral("http://")) + slot.Host +
                      port + slot.Path;
    if (!slot.Query.isEmpty())
        address += (slot.Path.contains(u'?') ? u'&' : u'?') + slot.Query;
    return address;
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
    m_timeout.stop();
    detachSocket();
}

// Lets go of the socket without telling anyone: the connection stays busy.
void SearchConnection::detachSocket()
{
    if (!m_socket)
        return;
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
    m_body.reset();
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
    m_answerStart.clear();
    m_position = 0;
    m_redirects = 0;
    m_status = EngineStatus{};
    m_status.plugin = slot.Name;
    m_status.kind = EngineStatus::Connecting;
    m_status.address = slotAddress(slot);
    emit statusChanged(m_status);

    const int timeout = slot.Timeout > 0 ? slot.Timeout : m_defaultTimeout;
    if (timeout > 0)
        m_timeout.start(std::chrono::seconds(timeout));
    openSocket();
}

void SearchConnection::openSocket()
{
    m_head.emplace();
    m_body.emplace(EntryReaderFor(m_slot).readsWholeBody() ? ReplyBody::Whole : ReplyBody::Lines);
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

    // An http engine behind an HTTP proxy is asked of the proxy itself;
    // anything else goes through the socket's proxy (CONNECT, SOCKS).
    m_proxy = ProxyFor(m_proxySettings, m_slot.Scheme, m_slot.Host);
    const bool https = m_slot.Scheme == u"https";
    m_toProxy = !https && m_proxy.type() == QNetworkProxy::HttpProxy;
    m_socket->setProxy(m_toProxy ? QNetworkProxy(QNetworkProxy::NoProxy) : m_proxy);
    if (https) {
        connect(m_socket, &QSslSocket::encrypted, this, &SearchConnection::sendRequest);
        m_socket->connectToHostEncrypted(m_slot.Host, quint16(m_slot.Port));
    } else {
        connect(m_socket, &QAbstractSocket::connected, this, &SearchConnection::sendRequest);
        if (m_toProxy)
            m_socket->connectToHost(m_proxy.hostName(), m_proxy.port());
        else
            m_socket->connectToHost(m_slot.Host, quint16(m_slot.Port));
    }
}

void SearchConnection::sendRequest()
{
    if (!m_socket)
        return;
    const QByteArray request = BuildRequestBytes(m_slot);
    m_socket->write(m_toProxy ? ProxyFormRequest(request, m_slot, m_proxy) : request);
    setStatus(EngineStatus::Receiving);
}

void SearchConnection::readReply()
{
    if (!m_socket)
        return;
    QList<ResultRow> rows;
    while (m_socket && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(64 * 1024);
        if (m_head) {
            const ReplyHead::Verdict verdict = m_head->take(bytes);
            if (verdict == ReplyHead::Undecided)
                continue;
            if (verdict == ReplyHead::Redirect) {
                followRedirect(m_head->location());
                return;
            }
            const QByteArray held = m_head->takeHeld();
            m_head.reset();
            takeReplyBytes(held, rows);
        } else {
            takeReplyBytes(bytes, rows);
        }
    }
    reportRows(rows);
}

void SearchConnection::reportRows(const QList<ResultRow>& rows)
{
    if (rows.isEmpty())
        return;
    m_status.rows += int(rows.size());
    emit rowsFound(rows);
    emit statusChanged(m_status);
}

void SearchConnection::takeReplyBytes(QByteArrayView bytes, QList<ResultRow>& rows)
{
    if (!m_body)
        return;
    // The answer's start is kept while there are no rows, to tell why an
    // answer gave none: the lines as read, or a whole body's answer as sent.
    const auto keepSample = [this, &rows](QByteArrayView answer) {
        if (m_status.rows == 0 && rows.isEmpty() && m_answerStart.size() < MaxAnswerSampleBytes)
            m_answerStart.append(
                answer.first(std::min(answer.size(), MaxAnswerSampleBytes - m_answerStart.size())));
    };
    if (m_body->mode() == ReplyBody::Whole)
        keepSample(bytes);
    const bool read = m_body->take(bytes, [this, &rows, &keepSample](QByteArrayView lines) {
        keepSample(lines);
        const qsizetype before = rows.size();
        ReadReplyBytes(m_slot, m_state, lines, rows);
        if (m_slot.RelevanceByPosition)
            FigureRowsByPosition(rows, before, m_position);
    });
    m_sawList = m_sawList || m_state.SawList;
    if (!read) {
        const QString reason = m_body->reason();
        reportRows(rows);
        rows.clear();
        fail(reason);
    }
}

// The server has closed: the last line that it did not end is read, or a
// whole answer is read now. False when the answer fails.
bool SearchConnection::finishReply()
{
    if (!m_body)
        return !m_error;
    QList<ResultRow> rows;
    if (const EntryReader& reader = EntryReaderFor(m_slot); reader.readsWholeBody()) {
        QString reason;
        if (!reader.readBody(m_slot, m_state, m_body->whole(), rows, reason)) {
            // A refusal or a challenge page is no document of results: the
            // status names that cause rather than the document's fault.
            const AnswerCause cause =
                ExplainEmptyAnswer(m_answerStart, true, m_slot.CaptchaMarker, m_slot.ResultCharset);
            m_answerStart.clear();
            noteCause(cause);
            if (cause.failed)
                fail(cause.reason, cause.hint);
            else
                fail(reason);
            return false;
        }
        m_sawList = true;
    } else {
        FinishReplyBytes(m_slot, m_state, rows);
        m_sawList = m_sawList || m_state.SawList;
    }
    if (m_slot.RelevanceByPosition)
        FigureRowsByPosition(rows, 0, m_position);
    reportRows(rows);
    return true;
}

void SearchConnection::flushHead()
{
    if (!m_head)
        return;
    m_head->finish();
    const QByteArray held = m_head->takeHeld();
    m_head.reset();
    QList<ResultRow> rows;
    takeReplyBytes(held, rows);
    reportRows(rows);
}

void SearchConnection::serverClosed()
{
    if (m_error || !m_socket)
        return;
    // Whatever is still buffered belongs to the answer.
    const QSslSocket* closing = m_socket;
    readReply();
    if (m_socket != closing || m_error)
        return; // a redirect is followed, or failed
    // An answer that ended before its head was complete is read as lines.
    flushHead();
    if (m_error || !finishReply())
        return;
    const AnswerCause cause = m_status.rows == 0
                                  ? ExplainEmptyAnswer(m_answerStart, m_sawList,
                                                       m_slot.CaptchaMarker, m_slot.ResultCharset)
                                  : AnswerCause();
    m_answerStart.clear();
    noteCause(cause);
    if (cause.failed)
        setStatus(EngineStatus::Failed, cause.reason, cause.hint);
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
    if (m_proxy.type() != QNetworkProxy::NoProxy) {
        const QString proxyReason = ProxyFailureReason(error, m_proxy, m_toProxy);
        if (!proxyReason.isEmpty()) {
            fail(proxyReason);
            return;
        }
    }
    m_status.connectionFailed = true;
    fail(failureReason(error, m_socket->errorString()));
}

void SearchConnection::noteCause(const AnswerCause& cause)
{
    m_status.httpCode = cause.httpCode;
    m_status.retryAfter = cause.retryAfter;
    m_status.challenge = cause.challenge;
}

void SearchConnection::followRedirect(const QString& location)
{
    const QString where = location.left(200);
    if (m_redirects >= MaxRedirects) {
        fail(QStringLiteral("転送が多すぎます (%1 回を超えました)").arg(MaxRedirects));
        return;
    }
    const QUrl written(location, QUrl::StrictMode);
    if (!written.isValid()) {
        fail(QStringLiteral("転送先がアドレスではありません: ") + where);
        return;
    }
    const QString port = m_slot.Port == (m_slot.Scheme == u"https" ? 443 : 80)
                             ? QString()
                             : u':' + QString::number(m_slot.Port);
    const QUrl base(m_slot.Scheme + u"://" + m_slot.Host + port + m_slot.Path.section(u'?', 0, 0));
    const QUrl target = base.resolved(written);
    const QString scheme = target.scheme().toLower();
    if (scheme != u"http" && scheme != u"https") {
        fail(QStringLiteral("転送先の方式には対応していません: ") + where);
        return;
    }
    if (target.host().isEmpty()) {
        fail(QStringLiteral("転送先にホストがありません: ") + where);
        return;
    }
    ++m_redirects;

    // The same slot asks the new address with a GET; links of its answer
    // resolve against the server that answers. The user's key goes to the
    // host it was given for, never on to another.
    const int defaultPort = scheme == u"https" ? 443 : 80;
    if (target.host(QUrl::EncodeUnicode).compare(m_slot.Host, Qt::CaseInsensitive) != 0 &&
        !m_slot.UserKeyHeader.isEmpty()) {
        m_slot.Headers.removeAll(m_slot.UserKeyHeader);
        m_slot.UserKeyHeader.clear();
    }
    m_slot.Scheme = scheme;
    m_slot.Host = target.host(QUrl::EncodeUnicode);
    m_slot.Port = target.port(defaultPort);
    m_slot.Path = target.path(QUrl::FullyEncoded);
    if (m_slot.Path.isEmpty())
        m_slot.Path = QStringLiteral("/");
    m_slot.Query = target.query(QUrl::FullyEncoded);
    m_slot.Method = QStringLiteral("GET");
    m_slot.BaseUrl =
        scheme + u"://" + m_slot.Host +
        (m_slot.Port == defaultPort ? QString() : u':' + QString::number(m_slot.Port)) + u'/';
    m_state.clear();
    detachSocket();
    m_status.address = slotAddress(m_slot);
    setStatus(EngineStatus::Connecting,
              QStringLiteral("移動: ") +
                  WithoutUserKey(target.toString(QUrl::FullyEncoded), m_slot).left(200));
    openSocket();
}

void SearchConnection::fail(const QString& reason, const QString& hint)
{
    m_error = true;
    m_body.reset();
    releaseSocket();
    m_state.clear();
    setStatus(EngineStatus::Failed, reason, hint);
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
    m_status.connectionFailed = true;
    setStatus(EngineStatus::Failed, QStringLiteral("時間切れ"));
    close();
}

void SearchConnection::setStatus(EngineStatus::Kind kind, const QString& reason,
                                 const QString& hint)
{
    m_status.kind = kind;
    m_status.reason = reason;
    m_status.hint = hint;
    emit statusChanged(m_status);
}

} // namespace sokuri
