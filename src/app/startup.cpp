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

// The one message of the hand-over and its answer, each a line.
constexpr char ActivateLine[] = "activate\n";
constexpr char AnswerLine[] = "ok\n";
// More than this without the line is not a start of the program.
constexpr qint64 MaxRequestBytes = 64;

} // namespace

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent)
    , m_key(std::move(key))
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(int timeoutMs)
{
    if (isListening())
        return true;
    if (askRunningInstance(timeoutMs) == Answer::Running)
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

SingleInstance::Answer SingleInstance::askRunningInstance(int timeoutMs)
{
    QLocalSocket socket;
    QEventLoop loop;
    bool connected = false;
    QByteArray reply;

    connect(&socket, &QLocalSocket::connected, &loop, [&] {
        connected = true;
        socket.write(ActivateLine);
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
            const QByteArray request = socket->peek(MaxRequestBytes);
            if (request.startsWith(ActivateLine)) {
                socket->readAll();
                socket->write(AnswerLine);
                socket->disconnectFromServer();
                emit activationRequested();
            } else if (request.contains('\n') || socket->bytesAvailable() >= MaxRequestBytes) {
                socket->abort();
                socket->deleteLater();
            }
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

StartUp::Outcome StartUp::start(const Options& options)
{
    const QString key =
        options.instanceKey.isEmpty() ? SingleInstanceKey(options.appDir) : options.instanceKey;
    m_instance = std::make_unique<SingleInstance>(key);
    if (!m_instance->claim()) {
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
    QObject::connect(m_instance.get(), &SingleInstance::activationRequested, window,
                     [window] { RaiseWindow(*window); });
    window->show();
    return Outcome::Running;
}

} // namespace sokuri
