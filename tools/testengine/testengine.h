#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QTcpServer;

namespace sokuri::test {

class EngineConnection;

// One answer of the engine and the way it is delivered. The defaults send a
// plain HTML page at once and close the connection after it.
struct EnginePage
{
    QByteArray header = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n"; // sent first
    QByteArray body;                                                          // then this
    int delayMs = 0;             // pause before the first byte
    QList<int> pieces;           // send header+body in pieces of these sizes (the last size
                                 // repeats), each its own write
    int pieceDelayMs = 0;        // pause between pieces (a trickle: pieces {1}, 1000 ms)
    bool neverClose = false;     // keep the connection open after the reply
    qint64 resetAfter = -1;      // abort the connection (TCP reset) after this many reply bytes
    qint64 repeatBodyUntil = -1; // stream: repeat body until this many reply bytes (header
                                 // included) were sent, writing only as fast as the client
                                 // reads, so memory stays small
};

// Answers for paths that no setPage() names: given the path of the request
// line (before "?"), a page or nothing. Consulted before the "*" page.
using PageSource = std::function<std::optional<EnginePage>(const QString& path)>;

// A small, strict HTTP/1.0 server on 127.0.0.1 for tests, benchmarks and the
// demo. Every connection gets one request and one reply: the request ends at
// the first empty line (CR LF CR LF or LF LF), followed by a Content-Length
// body when the header names one; the reply is the page of the request's
// path, delivered as the page says. A request larger than 1 MiB, or one that
// announces a larger body, drops the connection without a reply.
class TestEngine : public QObject
{
    Q_OBJECT

public:
    explicit TestEngine(QObject* parent = nullptr);
    ~TestEngine() override;

    bool listen(quint16 port = 0); // 127.0.0.1 only
    // TLS with the certificate and key of the given PEM files (QSslServer);
    // false when a file cannot be read or the port is taken.
    bool listenTls(const QString& certFile, const QString& keyFile, quint16 port = 0);
    quint16 port() const;
    // The last error of listen() or listenTls(), for messages.
    QString errorString() const { return m_error; }

    // path as in the request line before "?" ("/s"); "*" answers every other
    // path, also an empty request line. Without a page for a path (and no "*"),
    // the request gets "404 Not Found".
    void setPage(const QString& path, EnginePage page);
    void setPageSource(PageSource source);

    QList<QByteArray> requests() const { return m_requests; } // raw bytes, in arrival order
    int openConnections() const { return int(m_connections.size()); }
    // Aborts every open connection at once.
    void closeAll();

    // The largest request (header and body) the engine accepts.
    static constexpr qint64 MaxRequestBytes = 1024 * 1024;

signals:
    void requestReceived(const QByteArray& raw);
    // An answer starts to leave the engine (its first bytes are written).
    void answerStarted();

private:
    bool startServer(QTcpServer* server, quint16 port);
    void acceptConnections();
    EnginePage pageFor(const QByteArray& request) const;
    void takeRequest(EngineConnection* connection, const QByteArray& raw);
    void forget(EngineConnection* connection);

    QTcpServer* m_server = nullptr;
    QString m_error;
    QHash<QString, EnginePage> m_pages;
    PageSource m_source;
    QList<QByteArray> m_requests;
    QList<EngineConnection*> m_connections;
};

// The path of a request: the second word of its first line, up to "?";
// empty when the line has no second word.
QString RequestPath(const QByteArray& request);

} // namespace sokuri::test
