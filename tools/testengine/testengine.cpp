#include "testengine/testengine.h"

#include "testengine/engineconnection.h"

#include <QFile>
#include <QHostAddress>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <utility>

using namespace Qt::StringLiterals;

namespace sokuri::test {

namespace {

EnginePage NotFoundPage()
{
    EnginePage page;
    page.header = "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\n\r\n";
    page.body = "not found\n";
    return page;
}

bool ReadWhole(const QString& path, QByteArray& bytes, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = u"cannot read %1: %2"_s.arg(path, file.errorString());
        return false;
    }
    bytes = file.readAll();
    return true;
}

} // namespace

QString RequestPath(const QByteArray& request)
{
    QByteArrayView line(request);
    const qsizetype lineEnd = line.indexOf('\n');
    if (lineEnd >= 0)
        line = line.first(lineEnd);
    const QList<QByteArray> words = line.toByteArray().trimmed().split(' ');
    if (words.size() < 2)
        return {};
    QByteArray target = words[1];
    const qsizetype query = target.indexOf('?');
    if (query >= 0)
        target.truncate(query);
    return QString::fromLatin1(target);
}

TestEngine::TestEngine(QObject* parent)
    : QObject(parent)
{}

TestEngine::~TestEngine()
{
    // The connections go first, while the engine they report to is whole.
    for (EngineConnection* connection : std::exchange(m_connections, {}))
        delete connection;
}

bool TestEngine::listen(quint16 port)
{
    return startServer(new QTcpServer(this), port);
}

bool TestEngine::listenTls(const QString& certFile, const QString& keyFile, quint16 port)
{
    if (!QSslSocket::supportsSsl()) {
        m_error = u"no TLS backend available"_s;
        return false;
    }
    QByteArray certBytes;
    QByteArray keyBytes;
    if (!ReadWhole(certFile, certBytes, m_error) || !ReadWhole(keyFile, keyBytes, m_error))
        return false;
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certBytes, QSsl::Pem);
    if (chain.isEmpty()) {
        m_error = u"no certificate in %1"_s.arg(certFile);
        return false;
    }
    QSslKey key(keyBytes, QSsl::Rsa, QSsl::Pem);
    if (key.isNull())
        key = QSslKey(keyBytes, QSsl::Ec, QSsl::Pem);
    if (key.isNull()) {
        m_error = u"no usable private key in %1"_s.arg(keyFile);
        return false;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificateChain(chain);
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    auto* server = new QSslServer(this);
    server->setSslConfiguration(configuration);
    return startServer(server, port);
}

bool TestEngine::startServer(QTcpServer* server, quint16 port)
{
    delete std::exchange(m_server, server);
    // Handshakes and connections are taken as soon as they are ready.
    connect(server, &QTcpServer::pendingConnectionAvailable, this, &TestEngine::acceptConnections);
    if (!server->listen(QHostAddress::LocalHost, port)) {
        m_error = server->errorString();
        delete std::exchange(m_server, nullptr);
        return false;
    }
    m_error.clear();
    return true;
}

quint16 TestEngine::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

void TestEngine::setPage(const QString& path, EnginePage page)
{
    m_pages.insert(path, std::move(page));
}

void TestEngine::setPageSource(PageSource source)
{
    m_source = std::move(source);
}

void TestEngine::closeAll()
{
    for (EngineConnection* connection : std::exchange(m_connections, {})) {
        connection->shutDown();
        connection->deleteLater();
    }
}

void TestEngine::acceptConnections()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket* socket = m_server->nextPendingConnection();
        if (!socket)
            break;
        auto* connection = new EngineConnection(socket, this);
        m_connections.append(connection);
        connect(connection, &EngineConnection::requestComplete, this,
                [this, connection](const QByteArray& raw) { takeRequest(connection, raw); });
        connect(connection, &EngineConnection::replyStarted, this, &TestEngine::answerStarted);
        connect(connection, &EngineConnection::finished, this,
                [this, connection] { forget(connection); });
    }
}

EnginePage TestEngine::pageFor(const QByteArray& request) const
{
    const QString path = RequestPath(request);
    if (const auto page = m_pages.constFind(path); page != m_pages.cend())
        return *page;
    if (m_source) {
        if (std::optional<EnginePage> page = m_source(path))
            return *std::move(page);
    }
    if (const auto page = m_pages.constFind(u"*"_s); page != m_pages.cend())
        return *page;
    return NotFoundPage();
}

void TestEngine::takeRequest(EngineConnection* connection, const QByteArray& raw)
{
    m_requests.append(raw);
    connection->reply(pageFor(raw));
    emit requestReceived(raw);
}

void TestEngine::forget(EngineConnection* connection)
{
    m_connections.removeOne(connection);
    connection->deleteLater();
}

} // namespace sokuri::test
