#include "testengine/engineconnection.h"

#include <QSslSocket>
#include <QTcpSocket>

#include <sys/socket.h>

#include <algorithm>

namespace sokuri::test {

namespace {

// A stream is written in chunks of this size while fewer than LowWater bytes
// wait in the socket: the engine runs as fast as the client reads, no faster.
constexpr qint64 StreamChunk = 64 * 1024;
constexpr qint64 LowWater = 256 * 1024;

// The value of a Content-Length line: digits only, at most 12 of them;
// -1 for anything else.
qint64 ParseLength(QByteArrayView value)
{
    value = value.trimmed();
    if (value.isEmpty() || value.size() > 12)
        return -1;
    qint64 length = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return -1;
        length = length * 10 + (c - '0');
    }
    return length;
}

// The body length the header lines announce: 0 without Content-Length,
// -1 for a malformed value or two that disagree.
qint64 AnnouncedLength(QByteArrayView header)
{
    qint64 announced = 0;
    bool seen = false;
    qsizetype lineStart = header.indexOf('\n') + 1; // the request line names no length
    while (lineStart > 0 && lineStart < header.size()) {
        qsizetype lineEnd = header.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = header.size();
        const QByteArrayView line = header.sliced(lineStart, lineEnd - lineStart);
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 &&
            line.first(colon).trimmed().compare("content-length", Qt::CaseInsensitive) == 0) {
            const qint64 length = ParseLength(line.sliced(colon + 1));
            if (length < 0 || (seen && length != announced))
                return -1;
            announced = length;
            seen = true;
        }
        lineStart = lineEnd + 1;
    }
    return announced;
}

EnginePage BadRequestPage()
{
    EnginePage page;
    page.header = "HTTP/1.0 400 Bad Request\r\nContent-Type: text/plain\r\n\r\n";
    page.body = "malformed Content-Length\n";
    return page;
}

} // namespace

RequestEnd FindRequestEnd(const QByteArray& bytes, qint64& scanFrom)
{
    qsizetype headerEnd = -1;
    qsizetype lf = bytes.indexOf('\n', std::max<qint64>(scanFrom, 0));
    while (lf >= 0 && headerEnd < 0) {
        if (lf + 1 < bytes.size() && bytes[lf + 1] == '\n')
            headerEnd = lf + 2;
        else if (lf + 2 < bytes.size() && bytes[lf + 1] == '\r' && bytes[lf + 2] == '\n')
            headerEnd = lf + 3;
        else if (lf + 2 >= bytes.size())
            break; // the bytes that decide have not arrived yet
        else
            lf = bytes.indexOf('\n', lf + 1);
    }
    if (headerEnd < 0) {
        scanFrom = lf >= 0 ? lf : std::max<qint64>(bytes.size() - 1, 0);
        if (bytes.size() > TestEngine::MaxRequestBytes)
            return {RequestEnd::TooLarge};
        return {};
    }
    scanFrom = lf;
    const qint64 body = AnnouncedLength(QByteArrayView(bytes).first(headerEnd));
    if (body < 0)
        return {RequestEnd::BadLength, headerEnd};
    if (headerEnd + body > TestEngine::MaxRequestBytes)
        return {RequestEnd::TooLarge};
    if (bytes.size() < headerEnd + body)
        return {};
    return {RequestEnd::Complete, headerEnd + body};
}

EngineConnection::EngineConnection(QTcpSocket* socket, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
{
    m_socket->setParent(this);
    // Each piece of a trickle leaves as its own segment.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setReadBufferSize(LowWater);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &EngineConnection::writeNext);
    connect(m_socket, &QIODevice::readyRead, this, &EngineConnection::readRequest);
    connect(m_socket, &QIODevice::bytesWritten, this, &EngineConnection::written);
    if (auto* tls = qobject_cast<QSslSocket*>(m_socket))
        connect(tls, &QSslSocket::encryptedBytesWritten, this, &EngineConnection::written);
    connect(m_socket, &QAbstractSocket::disconnected, this, &EngineConnection::socketGone);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, [this] {
        if (m_socket->state() == QAbstractSocket::UnconnectedState)
            socketGone();
    });
    // Bytes that came with the connection (a TLS socket may hold some already).
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &EngineConnection::readRequest, Qt::QueuedConnection);
}

EngineConnection::~EngineConnection()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

void EngineConnection::shutDown()
{
    m_gone = true;
    m_timer.stop();
    m_socket->disconnect(this);
    m_socket->abort();
}

void EngineConnection::readRequest()
{
    if (m_gone)
        return;
    if (m_requestDone) {
        // One request per connection: whatever follows is read and dropped.
        m_socket->skip(m_socket->bytesAvailable());
        return;
    }
    m_buffer += m_socket->readAll();
    const RequestEnd end = FindRequestEnd(m_buffer, m_scanFrom);
    switch (end.kind) {
    case RequestEnd::Incomplete:
        return;
    case RequestEnd::TooLarge:
        m_buffer.clear();
        m_socket->abort();
        socketGone();
        return;
    case RequestEnd::BadLength:
        m_requestDone = true;
        m_buffer.clear();
        reply(BadRequestPage());
        return;
    case RequestEnd::Complete: {
        m_requestDone = true;
        const QByteArray raw = m_buffer.first(end.length);
        m_buffer.clear();
        emit requestComplete(raw); // the engine answers with reply() meanwhile
        return;
    }
    }
}

void EngineConnection::reply(const EnginePage& page)
{
    if (m_gone || m_replying)
        return;
    m_page = page;
    const qint64 headerSize = m_page.header.size();
    m_replyLength = headerSize + m_page.body.size();
    if (m_page.repeatBodyUntil >= 0)
        m_replyLength = m_page.body.isEmpty() ? std::min(m_page.repeatBodyUntil, headerSize)
                                              : m_page.repeatBodyUntil;
    if (m_page.resetAfter >= 0)
        m_replyLength = std::min(m_replyLength, m_page.resetAfter);
    m_replying = true;
    if (m_page.delayMs > 0)
        m_timer.start(m_page.delayMs);
    else
        writeNext();
}

void EngineConnection::writeNext()
{
    if (m_gone || m_finishing)
        return;
    qint64 count = m_replyLength - m_sent;
    if (!m_page.pieces.isEmpty()) {
        const qsizetype last = m_page.pieces.size() - 1;
        count = std::min<qint64>(count, std::max(1, m_page.pieces[std::min(m_pieceIndex, last)]));
        ++m_pieceIndex;
    } else if (m_page.repeatBodyUntil >= 0) {
        count = std::min(count, StreamChunk);
    }
    if (count > 0) {
        if (m_sent == 0)
            emit replyStarted();
        m_socket->write(replyBytes(m_sent, count));
        m_sent += count;
    }
    if (m_sent >= m_replyLength)
        finishReply();
}

void EngineConnection::written()
{
    if (m_gone || !m_replying)
        return;
    if (m_finishing) {
        if (m_page.resetAfter >= 0 && pendingBytes() == 0)
            resetConnection();
        return;
    }
    if (m_timer.isActive())
        return;
    if (!m_page.pieces.isEmpty()) {
        // The next piece leaves only once this one has left the socket.
        if (pendingBytes() > 0)
            return;
        if (m_page.pieceDelayMs > 0)
            m_timer.start(m_page.pieceDelayMs);
        else
            writeNext();
        return;
    }
    while (!m_gone && !m_finishing && pendingBytes() < LowWater)
        writeNext();
}

void EngineConnection::finishReply()
{
    m_finishing = true;
    if (m_page.resetAfter >= 0) {
        // The reset comes after the bytes: wait until the socket has passed
        // them on (written() calls back).
        if (pendingBytes() == 0)
            resetConnection();
        return;
    }
    if (m_page.neverClose)
        return;
    m_socket->disconnectFromHost(); // sends what is pending, then closes
}

void EngineConnection::resetConnection()
{
    // A zero linger time makes the close a TCP reset instead of an orderly end.
    const qintptr descriptor = m_socket->socketDescriptor();
    if (descriptor >= 0) {
        const linger abortive{1, 0};
        ::setsockopt(int(descriptor), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
    m_socket->abort();
    socketGone();
}

void EngineConnection::socketGone()
{
    if (m_gone)
        return;
    m_gone = true;
    m_timer.stop();
    emit finished();
}

qint64 EngineConnection::pendingBytes() const
{
    qint64 pending = m_socket->bytesToWrite();
    if (auto* tls = qobject_cast<QSslSocket*>(m_socket))
        pending += tls->encryptedBytesToWrite();
    return pending;
}

// Bytes [from, from + count) of the reply: the header, then the body, the
// body repeated as often as the reply is long.
QByteArray EngineConnection::replyBytes(qint64 from, qint64 count) const
{
    const QByteArray& header = m_page.header;
    const QByteArray& body = m_page.body;
    QByteArray out;
    out.reserve(count);
    qint64 position = from;
    const qint64 end = from + count;
    if (position < header.size()) {
        const qint64 n = std::min<qint64>(end, header.size()) - position;
        out.append(header.constData() + position, n);
        position += n;
    }
    while (position < end && !body.isEmpty()) {
        const qint64 offset = (position - header.size()) % body.size();
        const qint64 n = std::min<qint64>(end - position, body.size() - offset);
        out.append(body.constData() + offset, n);
        position += n;
    }
    return out;
}

} // namespace sokuri::test
