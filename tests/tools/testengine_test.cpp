#include "testengine/testengine.h"

#include "support/qtprinters.h"

#include <QFile>
#include <QHostAddress>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using sokuri::test::EnginePage;
using sokuri::test::RequestPath;
using sokuri::test::TestEngine;

namespace {

// Hang guard only: every wait ends as soon as its event arrives.
constexpr int Patience = 30000;

// A client that keeps everything it reads and counts the reads.
class Client : public QObject
{
public:
    explicit Client(std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>())
        : m_socket(std::move(socket))
    {
        connect(m_socket.get(), &QIODevice::readyRead, this, [this] {
            const QByteArray data = m_socket->readAll();
            ++reads;
            total += data.size();
            if (keep)
                received += data;
        });
    }

    QTcpSocket& socket() { return *m_socket; }

    bool connectTo(quint16 port)
    {
        QSignalSpy connected(m_socket.get(), &QAbstractSocket::connected);
        m_socket->connectToHost(QHostAddress::LocalHost, port);
        return connected.wait(Patience);
    }

    // Connects, sends the request and waits until the engine closes.
    QByteArray ask(quint16 port, const QByteArray& request)
    {
        if (!connectTo(port))
            return "(no connection)";
        m_socket->write(request);
        waitClosed();
        return received;
    }

    bool waitClosed()
    {
        return QTest::qWaitFor(
            [this] { return m_socket->state() == QAbstractSocket::UnconnectedState; }, Patience);
    }

    QByteArray received;
    qint64 total = 0;
    int reads = 0;
    bool keep = true;

private:
    std::unique_ptr<QTcpSocket> m_socket;
};

EnginePage Page(const QByteArray& body)
{
    EnginePage page;
    page.body = body;
    return page;
}

const QByteArray Header = EnginePage().header;

} // namespace

TEST(TestEngine, RecordsTheRequestAndAnswersHeaderAndBody)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage page = Page("<html><li>\x82\xA0</li></html>\r\n");
    page.header = "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=Shift_JIS\r\n\r\n";
    engine.setPage(u"/s"_s, page);
    QSignalSpy received(&engine, &TestEngine::requestReceived);

    const QByteArray request = "GET /s?q=%82%A0+%8B%9E HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    Client client;
    EXPECT_EQ(client.ask(engine.port(), request), page.header + page.body);
    EXPECT_EQ(engine.requests(), QList<QByteArray>{request});
    ASSERT_EQ(received.count(), 1);
    EXPECT_EQ(received.at(0).at(0).toByteArray(), request);
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine.openConnections() == 0; }, Patience));
}

TEST(TestEngine, PagesAreChosenByThePathBeforeTheQuery)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    engine.setPage(u"/s"_s, Page("search"));
    EXPECT_EQ(Client().ask(engine.port(), "GET /other HTTP/1.0\r\n\r\n").left(13), "HTTP/1.0 404 ");

    engine.setPage(u"*"_s, Page("fallback"));
    EXPECT_EQ(Client().ask(engine.port(), "GET /s?x=/t HTTP/1.0\r\n\r\n"), Header + "search");
    EXPECT_EQ(Client().ask(engine.port(), "GET /s/ HTTP/1.0\r\n\r\n"), Header + "fallback");
    // A request with an empty request line, as a HEAD plugin sends it.
    EXPECT_EQ(Client().ask(engine.port(), "\r\n\r\n"), Header + "fallback");
    EXPECT_EQ(engine.requests(),
              QList<QByteArray>({"GET /other HTTP/1.0\r\n\r\n", "GET /s?x=/t HTTP/1.0\r\n\r\n",
                                 "GET /s/ HTTP/1.0\r\n\r\n", "\r\n\r\n"}));

    EXPECT_EQ(RequestPath("POST /p?a HTTP/1.0\r\n"), u"/p"_s);
    EXPECT_EQ(RequestPath("GET\r\n\r\n"), QString());
}

TEST(TestEngine, RequestEndsAtTheEmptyLineOrAfterItsBody)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    engine.setPage(u"*"_s, Page("ok"));

    // LF line ends; what follows the empty line is not part of the request.
    EXPECT_EQ(Client().ask(engine.port(), "GET /a HTTP/1.0\n\nGET /b HTTP/1.0\n\n"), Header + "ok");

    // A form body sent after its header, in a write of its own.
    const QByteArray header = "POST /p HTTP/1.0\r\nHost: h\r\ncontent-length: 12\r\n\r\n";
    Client post;
    ASSERT_TRUE(post.connectTo(engine.port()));
    post.socket().write(header);
    QSignalSpy written(&post.socket(), &QIODevice::bytesWritten);
    ASSERT_TRUE(written.wait(Patience));
    post.socket().write("q=%82%A0&n=1");
    ASSERT_TRUE(post.waitClosed());
    EXPECT_EQ(post.received, Header + "ok");

    // A malformed length is refused and not recorded.
    const QByteArray bad =
        Client().ask(engine.port(), "POST /p HTTP/1.0\r\nContent-Length: 12x\r\n\r\n");
    EXPECT_TRUE(bad.startsWith("HTTP/1.0 400 ")) << bad.constData();

    EXPECT_EQ(engine.requests(),
              QList<QByteArray>({"GET /a HTTP/1.0\n\n", header + "q=%82%A0&n=1"}));
}

TEST(TestEngine, OversizedRequestsDropTheConnection)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    engine.setPage(u"*"_s, Page("ok"));

    Client endless;
    ASSERT_TRUE(endless.connectTo(engine.port()));
    endless.socket().write("GET /" + QByteArray(TestEngine::MaxRequestBytes + 4096, 'x'));
    EXPECT_TRUE(endless.waitClosed());
    EXPECT_TRUE(endless.received.isEmpty());

    EXPECT_TRUE(Client()
                    .ask(engine.port(), "POST /p HTTP/1.0\r\nContent-Length: 2000000\r\n\r\n")
                    .isEmpty());
    EXPECT_TRUE(engine.requests().isEmpty());
    EXPECT_EQ(engine.openConnections(), 0);
}

TEST(TestEngine, PiecesArriveAsSeparateReads)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage trickle = Page("0123456789");
    trickle.header = "HTTP/1.0 200 OK\r\n\r\n";
    trickle.delayMs = 50;
    trickle.pieces = {1};
    trickle.pieceDelayMs = 30;
    engine.setPage(u"/t"_s, trickle);

    Client client;
    EXPECT_EQ(client.ask(engine.port(), "GET /t HTTP/1.0\r\n\r\n"), trickle.header + trickle.body);
    EXPECT_GE(client.reads, 5);

    // Uneven pieces, the last size repeating, lose and reorder nothing.
    EnginePage uneven = Page(QByteArray(5000, 'b') + "end");
    uneven.pieces = {7, 1, 1000};
    engine.setPage(u"/u"_s, uneven);
    EXPECT_EQ(Client().ask(engine.port(), "GET /u HTTP/1.0\r\n\r\n"), Header + uneven.body);
}

TEST(TestEngine, NeverCloseKeepsTheConnectionUntilTheClientOrCloseAll)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage open = Page("stays");
    open.neverClose = true;
    engine.setPage(u"*"_s, open);
    const QByteArray reply = Header + "stays";

    Client first;
    Client second;
    for (Client* client : {&first, &second}) {
        ASSERT_TRUE(client->connectTo(engine.port()));
        client->socket().write("GET / HTTP/1.0\r\n\r\n");
        ASSERT_TRUE(QTest::qWaitFor([&] { return client->received == reply; }, Patience));
    }
    QSignalSpy closed(&first.socket(), &QAbstractSocket::disconnected);
    EXPECT_FALSE(closed.wait(300));
    EXPECT_EQ(engine.openConnections(), 2);

    // More bytes after the request are read and dropped, without a reply.
    first.socket().write("GET /again HTTP/1.0\r\n\r\n");
    second.socket().disconnectFromHost();
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine.openConnections() == 1; }, Patience));
    EXPECT_EQ(engine.requests().size(), 2);

    engine.closeAll();
    EXPECT_EQ(engine.openConnections(), 0);
    EXPECT_TRUE(first.waitClosed());
    EXPECT_EQ(first.received, reply);
}

TEST(TestEngine, ResetAfterEndsTheReplyWithATcpReset)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage cut = Page(QByteArray(4000, 'r'));
    cut.resetAfter = 100;
    engine.setPage(u"*"_s, cut);

    // A plain socket tells a reset (ECONNRESET) from an orderly end (0).
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(engine.port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const char request[] = "GET / HTTP/1.0\r\n\r\n";
    ASSERT_EQ(::send(fd, request, sizeof request - 1, 0), qint64(sizeof request - 1));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);

    QByteArray received;
    int end = -1; // errno of the end, 0 for an orderly one
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [&] {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                received.append(buffer, n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            end = n == 0 ? 0 : errno;
            notifier.setEnabled(false);
            return;
        }
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return end >= 0; }, Patience));
    ::close(fd);
    EXPECT_EQ(end, ECONNRESET);
    EXPECT_EQ(received, QByteArray(Header + cut.body).left(100));

    // Through Qt's socket the reset shows as the remote end closing.
    Client client;
    ASSERT_TRUE(client.connectTo(engine.port()));
    QSignalSpy failed(&client.socket(), &QAbstractSocket::errorOccurred);
    client.socket().write("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(client.waitClosed());
    EXPECT_EQ(client.received.size(), 100);
    ASSERT_GE(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).value<QAbstractSocket::SocketError>(),
              QAbstractSocket::RemoteHostClosedError);
}

TEST(TestEngine, StreamSendsTheRequestedByteCount)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage stream = Page(QByteArray("<li>0123456789abcdef</li>\r\n").repeated(40));
    stream.repeatBodyUntil = 20'000'000;
    engine.setPage(u"/big"_s, stream);

    Client client;
    client.keep = false;
    ASSERT_TRUE(client.connectTo(engine.port()));
    client.socket().write("GET /big HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(client.waitClosed());
    EXPECT_EQ(client.total, 20'000'000);
}

TEST(TestEngine, DestroyedWithConnectionsOpen)
{
    auto engine = std::make_unique<TestEngine>();
    ASSERT_TRUE(engine->listen());
    EnginePage open = Page("open");
    open.neverClose = true;
    engine->setPage(u"/open"_s, open);
    EnginePage late = Page("late");
    late.delayMs = 600000;
    engine->setPage(u"/late"_s, late);
    EnginePage slow = Page(QByteArray(100, 's'));
    slow.pieces = {1};
    slow.pieceDelayMs = 50;
    engine->setPage(u"/slow"_s, slow);

    Client clients[4];
    const QByteArray paths[] = {"/open", "/late", "/slow", "/unsent"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(clients[i].connectTo(engine->port()));
        if (i < 3)
            clients[i].socket().write("GET " + paths[i] + " HTTP/1.0\r\n\r\n");
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->requests().size() == 3; }, Patience));
    ASSERT_TRUE(QTest::qWaitFor([&] { return clients[2].total > 0; }, Patience));
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->openConnections() == 4; }, Patience));

    engine.reset();
    for (Client& client : clients)
        EXPECT_TRUE(client.waitClosed());
    EXPECT_EQ(clients[0].received, Header + "open");
    EXPECT_TRUE(clients[1].received.isEmpty());
}

TEST(TestEngine, TlsServesClientsThatTrustItsCertificate)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listenTls(QStringLiteral(SOKURI_TEST_TLS_DIR "/cert.pem"),
                                 QStringLiteral(SOKURI_TEST_TLS_DIR "/key.pem")))
        << engine.errorString().toStdString();
    engine.setPage(u"/s"_s, Page("secret page"));

    for (const QString& host : {u"localhost"_s, u"127.0.0.1"_s}) {
        auto socket = std::make_unique<QSslSocket>();
        QSslConfiguration configuration = socket->sslConfiguration();
        ASSERT_TRUE(
            configuration.addCaCertificates(QStringLiteral(SOKURI_TEST_TLS_DIR "/cert.pem")));
        socket->setSslConfiguration(configuration);
        QSslSocket* tls = socket.get();
        Client client(std::move(socket));
        QSignalSpy encrypted(tls, &QSslSocket::encrypted);
        tls->connectToHostEncrypted(host, engine.port());
        ASSERT_TRUE(encrypted.wait(Patience)) << host.toStdString();
        tls->write("GET /s HTTP/1.0\r\nHost: localhost\r\n\r\n");
        ASSERT_TRUE(client.waitClosed());
        EXPECT_EQ(client.received, Header + "secret page");
    }
    EXPECT_EQ(engine.requests().size(), 2);
}

TEST(TestEngine, TlsHandshakeFailsWithoutTrust)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listenTls(QStringLiteral(SOKURI_TEST_TLS_DIR "/cert.pem"),
                                 QStringLiteral(SOKURI_TEST_TLS_DIR "/key.pem")));
    engine.setPage(u"*"_s, Page("secret page"));

    QSslSocket socket;
    QSignalSpy sslErrors(&socket, &QSslSocket::sslErrors);
    QSignalSpy failed(&socket, &QAbstractSocket::errorOccurred);
    socket.connectToHostEncrypted(u"localhost"_s, engine.port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() > 0; }, Patience));
    EXPECT_EQ(failed.at(0).at(0).value<QAbstractSocket::SocketError>(),
              QAbstractSocket::SslHandshakeFailedError);
    EXPECT_GE(sslErrors.count(), 1);
    EXPECT_FALSE(socket.isEncrypted());
    EXPECT_TRUE(engine.requests().isEmpty());

    EXPECT_FALSE(engine.listenTls(u"/nonexistent/cert.pem"_s, u"/nonexistent/key.pem"_s));
    EXPECT_FALSE(engine.errorString().isEmpty());
}
