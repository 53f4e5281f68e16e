#include "demoengine/democonnection.h"

#include "demoengine/nounanalyser.h"
#include "demoengine/pages.h"
#include "demoengine/querystring.h"
#include "demoengine/terms.h"

#include <QTcpSocket>

#include <cstdio>
#include <utility>

#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace sokuri::demo {

namespace {

constexpr int QueryAnalysisTimeoutMs = 10000;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Request Too Large";
    default:
        return "Error";
    }
}

// The end of the request head (the byte after its empty line), or -1.
qsizetype headEnd(const QByteArray& request)
{
    const qsizetype crlf = request.indexOf("\r\n\r\n");
    const qsizetype lf = request.indexOf("\n\n");
    if (crlf >= 0 && (lf < 0 || crlf + 2 <= lf))
        return crlf + 4;
    return lf >= 0 ? lf + 2 : -1;
}

} // namespace

DemoConnection::DemoConnection(QTcpSocket* socket, const DemoSearch& search, QString siteBase,
                               QString chasenProgram, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_search(search)
    , m_siteBase(std::move(siteBase))
    , m_chasenProgram(std::move(chasenProgram))
{
    m_socket->setParent(this);
    // What the client sends beyond the limit stays in the system's buffers.
    m_socket->setReadBufferSize(MaxRequestBytes + 1);
    connect(m_socket, &QIODevice::readyRead, this, &DemoConnection::readRequest);
    connect(m_socket, &QIODevice::bytesWritten, this, &DemoConnection::closeWhenWritten);
    connect(m_socket, &QAbstractSocket::disconnected, this, &QObject::deleteLater);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, [this] {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            deleteLater();
    });
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        m_socket->abort();
        deleteLater();
    });
    m_timeout.start(TimeoutMs);
    readRequest();
}

void DemoConnection::readRequest()
{
    if (m_answered) {
        m_socket->readAll(); // dropped: one request a connection
        return;
    }
    m_request += m_socket->read(MaxRequestBytes + 1 - m_request.size());
    const qsizetype end = headEnd(m_request);
    if (end < 0 || end > MaxRequestBytes) {
        if (m_request.size() > MaxRequestBytes)
            sendError(413, u"the request is larger than %1 bytes"_s.arg(MaxRequestBytes));
        return;
    }
    qsizetype lineEnd = m_request.indexOf('\n');
    QByteArray line = m_request.first(lineEnd);
    if (line.endsWith('\r'))
        line.chop(1);
    handle(line);
}

void DemoConnection::handle(const QByteArray& requestLine)
{
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() != 3 || !parts[2].startsWith("HTTP/") || !parts[1].startsWith('/')) {
        sendError(400, u"the request line is not \"GET /path HTTP/1.0\""_s);
        return;
    }
    if (parts[0] != "GET") {
        sendError(405, u"only GET is answered"_s, "Allow: GET\r\n");
        return;
    }
    const QByteArray& target = parts[1];
    const qsizetype question = target.indexOf('?');
    const QString path = QString::fromLatin1(question < 0 ? target : target.first(question));
    const QByteArray query = question < 0 ? QByteArray() : target.sliced(question + 1);

    if (path == u"/") {
        send(200, HomePage(m_search.documents().size()).toUtf8(), u"UTF-8"_s);
    } else if (const std::optional<PageCharset> charset = CharsetOfPath(path)) {
        search(query, *charset);
    } else if (const qsizetype document = m_search.documentOfPath(path); document >= 0) {
        send(200, DocumentPage(m_search.documents()[document]).toUtf8(), u"UTF-8"_s);
    } else {
        sendError(404, u"no page at %1"_s.arg(path));
    }
}

void DemoConnection::search(const QByteArray& query, PageCharset charset)
{
    const QString text = QueryText(query, charset == PageCharset::Utf8);
    const QStringList keywords = QueryKeywords(text);
    if (m_search.mode() == IndexMode::Bigrams || keywords.isEmpty()) {
        sendResults(text, m_search.queryTerms(keywords), charset);
        return;
    }
    // The keywords are analysed as the documents were; the answer waits for
    // the analyser, and falls back to the keywords themselves if it fails.
    m_analyser = new NounAnalyser(m_chasenProgram, this);
    connect(m_analyser, &NounAnalyser::finished, this,
            [this, text, keywords, charset](const QList<QStringList>& nouns) {
                m_analyser->deleteLater();
                sendResults(text, m_search.queryTerms(keywords, nouns), charset);
            });
    connect(m_analyser, &NounAnalyser::failed, this,
            [this, text, keywords, charset](const QString& reason) {
                m_analyser->deleteLater();
                std::fprintf(stderr, "sokuri-demo-engine: %s; searching the keywords as typed\n",
                             reason.toLocal8Bit().constData());
                sendResults(text, m_search.queryTerms(keywords), charset);
            });
    m_answered = true; // nothing more is read while the analyser runs
    m_analyser->start(keywords, QueryAnalysisTimeoutMs);
}

void DemoConnection::sendResults(const QString& query, const QStringList& terms,
                                 PageCharset charset)
{
    const QString page = ResultsPage(m_search, query, terms, charset, m_siteBase);
    send(200, EncodePage(page, charset), CharsetName(charset));
}

void DemoConnection::send(int status, const QByteArray& body, const QString& charset,
                          const QByteArray& extraHeaders)
{
    m_answered = true;
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        deleteLater();
        return;
    }
    QByteArray reply = "HTTP/1.0 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
                       "\r\nContent-Type: text/html; charset=" + charset.toLatin1() +
                       "\r\nContent-Length: " + QByteArray::number(body.size()) +
                       "\r\nConnection: close\r\n" + extraHeaders + "\r\n";
    reply += body;
    m_replied = true;
    m_socket->write(reply);
}

void DemoConnection::closeWhenWritten()
{
    if (!m_replied || m_writeClosed || m_socket->bytesToWrite() > 0)
        return;
    // The client sees the end of the reply and closes; disconnected then
    // ends the object.
    m_writeClosed = true;
    ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
    m_socket->readAll();
}

void DemoConnection::sendError(int status, const QString& reason, const QByteArray& extraHeaders)
{
    send(status, ErrorPage(status, reason).toUtf8(), u"UTF-8"_s, extraHeaders);
}

} // namespace sokuri::demo
