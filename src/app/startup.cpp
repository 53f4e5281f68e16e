#include "app/startup.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// The messages of the hand-over and their answer, each a line: "activate",
// or "open " and a document's path, percent-encoded UTF-8.
constexpr char ActivateLine[] = "activate\n";
constexpr char OpenPrefix[] = "open ";
constexpr char AnswerLine[] = "ok\n";
// More than this without the line is not a start of the program.
constexpr qint64 MaxRequestBytes = 64;
// A line that names a document may be as long as this.
constexpr qint64 MaxOpenLineBytes = 64 * 1024;

QByteArray requestLine(const QString& document)
{
    if (document.isEmpty())
        return ActivateLine;
    return OpenPrefix + document.toUtf8().toPercentEncoding() + '\n';
}

} // namespace

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent)
    , m_key(std::move(key))
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(int timeoutMs, const QString& document)
{
    if (isListening())
        return true;
    if (askRunningInstance(timeoutMs, document) == Answer::Running)
        return false;

    // Nobody answered: a socket left behind by a program that was killed is
    // stale, and listening needs it gone.
    QLocalServer::removeServer(m_key);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    if (!m_server->listen(m_key)) {
        // The program runs all the same, only without the hand-over.
        delete m_server;
        m_server = nullptr;
    }
    return true;
}

void SingleInstance::release()
{
    if (!m_server)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

SingleInstance::Answer SingleInstance::askRunningInstance(int timeoutMs, const QString& document)
{
    QLocalSocket socket;
    QEventLoop loop;
    bool connected = false;
    QByteArray reply;

    connect(&socket, &QLocalSocket::connected, &loop, [&] {
        connected = true;
        socket.write(requestLine(document));
    });
    connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        reply += socket.read(MaxRequestBytes);
        if (reply.contains('\n') || reply.size() >= MaxRequestBytes)
            loop.quit();
    });
    connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    connect(&socket, &QLocalSocket::errorOccurred, &loop, [&] { loop.quit(); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);

    guard.start(timeoutMs);
    socket.connectToServer(m_key);
    if (socket.state() != QLocalSocket::UnconnectedState || connected)
        loop.exec();
    socket.abort();
    // A program that took the connection is running, answered or not (a
    // busy one answers late); only a refused or missing socket is nobody.
    return connected ? Answer::Running : Answer::Nobody;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            const QByteArray request = socket->peek(MaxOpenLineBytes);
            const qsizetype end = request.indexOf('\n');
            const bool opening = request.startsWith(OpenPrefix);
            if (end < 0) {
                // Wait for the rest of the line, within its bounds.
                if (socket->bytesAvailable() >= (opening ? MaxOpenLineBytes : MaxRequestBytes)) {
                    socket->abort();
                    socket->deleteLater();
                }
                return;
            }
            const QByteArray line = request.first(end + 1);
            QString document;
            if (opening) {
                const QByteArray encoded = line.sliced(qsizetype(sizeof(OpenPrefix)) - 1,
                                                       end - qsizetype(sizeof(OpenPrefix)) + 1);
                document = QString::fromUtf8(QByteArray::fromPercentEncoding(encoded));
            }
            if (line != ActivateLine && (!opening || document.isEmpty())) {
                socket->abort();
                socket->deleteLater();
                return;
            }
            socket->readAll();
            socket->write(AnswerLine);
            socket->disconnectFromServer();
            if (!document.isEmpty())
                emit openRequested(document);
            emit activationRequested();
        });
        // Data that arrived with the connection.
        if (socket->bytesAvailable() > 0)
            emit socket->readyRead();
    }
}

QString SingleInstanceKey(const QString& appPath)
{
    const QFileInfo info(appPath);
    const QString folder = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return u"sokuri-"_s + QString::number(::getuid()) + u'-' + QString::fromLatin1(hash);
}

void RaiseWindow(QWidget& window)
{
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}

StartUp::StartUp() = default;

StartUp::~StartUp() = default;

StartUp::Outcome StartUp::start(const Options& options, const QString& document)
{
    const QString key =
        options.instanceKey.isEmpty() ? SingleInstanceKey(options.appDir) : options.instanceKey;
    m_instance = std::make_unique<SingleInstance>(key);
    if (!m_instance->claim(5000, document)) {
        m_instance.reset();
        return Outcome::HandedOver;
    }

    m_window = std::make_unique<frmSokuri>(options.platform);
    if (!m_window->Form_Load({options.appDir, options.programDir})) {
        m_window.reset();
        m_instance.reset();
        return Outcome::SettingsMissing;
    }
    frmSokuri* window = m_window.get();
    // Opened once the hand-over has been answered: a bad file's message
    // does not hold up the other start.
    QObject::connect(m_instance.get(), &SingleInstance::openRequested, window,
                     &frmSokuri::openDocumentFile, Qt::QueuedConnection);
    QObject::connect(m_instance.get(), &SingleInstance::activationRequested, window,
                     [window] { RaiseWindow(*window); });
    window->show();
    if (!document.isEmpty())
        window->openDocumentFile(document);
    return Outcome::Running;
}

} // namespace sokuri
