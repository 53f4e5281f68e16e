#pragma once

// Shared parts of the ChaSen tests: a scripted ChaSen server on 127.0.0.1, the
// wait for the end of an analysis, application folders with chasen.sh, the
// ChaSen server tool run as a process, and the "analyse" command of
// sokuri-cli run with captured output streams.

#include "analysis/sentenceanalyser.h"
#include "cli/commands.h"
#include "common/appstate.h"
#include "support/refusingport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <memory>

namespace sokuri::test {

// Generous guard against hangs; no test depends on it being short.
inline constexpr int HangGuardMs = 60000;

// The sentence of the end-to-end tests. ChaSen names 京都 a proper noun and
// 旅館, 庭 and 宿 common nouns, so all four are keywords; the rest are
// particles, verbs, adjectives and punctuation.
inline const QString Sentence =
    QStringLiteral("京都の旅館を探しています。美しい庭がある宿が良い。");
inline const QStringList SentenceKeywords = {QStringLiteral("京都"), QStringLiteral("旅館"),
                                             QStringLiteral("庭"), QStringLiteral("宿")};

// EUC-JP bytes made by Qt's own converter, not by the code under test.
inline QByteArray euc(const QString& text)
{
    QStringEncoder encoder("EUC-JP");
    return encoder.encode(text);
}

// Waits until the analysis is over (state 0 or 9) and returns the state.
inline int waitForAnalysis(const SentenceAnalyser& analyser)
{
    const bool over = QTest::qWaitFor(
        [&] {
            return analyser.state() == SentenceAnalyser::Idle ||
                   analyser.state() == SentenceAnalyser::Failed;
        },
        HangGuardMs);
    EXPECT_TRUE(over) << "the analysis did not end";
    return analyser.state();
}

// A ChaSen server that plays a script to each client it accepts and records
// every byte it receives.
class ScriptedServer
{
public:
    struct Step
    {
        enum Kind { Send, AwaitReceived, Pause, Close };
        Kind kind;
        QByteArray bytes; // what to send, or what the received bytes must end with
        int ms = 0;
    };

    static Step send(const QByteArray& bytes) { return {Step::Send, bytes}; }
    // Goes on once the bytes received so far end with bytes.
    static Step awaitReceived(const QByteArray& bytes) { return {Step::AwaitReceived, bytes}; }
    // Lets the client handle what it has so far, so the next piece is a
    // separate arrival (the test does not depend on it being one).
    static Step pause(int ms = 100) { return {Step::Pause, {}, ms}; }
    static Step close() { return {Step::Close, {}}; }

    explicit ScriptedServer(QList<Step> script)
        : m_script(std::move(script))
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                accept(socket);
        });
    }

    // The accepted sockets die with the server; they must not report their
    // disconnection to a half-destroyed script.
    ~ScriptedServer()
    {
        for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>())
            socket->disconnect();
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    quint16 port() const { return m_server.serverPort(); }
    QString portText() const { return QString::number(port()); }

    // All bytes received on the last connection.
    const QByteArray& received() const { return m_received; }
    int connections() const { return m_connections; }
    bool clientClosed() const { return m_clientClosed; }
    bool scriptDone() const { return m_step >= m_script.size(); }

private:
    void accept(QTcpSocket* socket)
    {
        socket->setParent(&m_server);
        ++m_connections;
        m_socket = socket;
        m_received.clear();
        m_clientClosed = false;
        m_step = 0;
        QObject::connect(socket, &QIODevice::readyRead, socket, [this, socket] {
            if (socket != m_socket)
                return;
            m_received += socket->readAll();
            if (!scriptDone() && m_script[m_step].kind == Step::AwaitReceived)
                run();
        });
        QObject::connect(socket, &QAbstractSocket::disconnected, socket, [this, socket] {
            if (socket == m_socket)
                m_clientClosed = true;
        });
        run();
    }

    void run()
    {
        while (m_socket && !scriptDone()) {
            const Step& step = m_script[m_step];
            switch (step.kind) {
            case Step::Send:
                m_socket->write(step.bytes);
                m_socket->flush();
                break;
            case Step::AwaitReceived:
                if (!m_received.endsWith(step.bytes))
                    return;
                break;
            case Step::Pause:
                ++m_step;
                QTimer::singleShot(step.ms, m_socket, [this] { run(); });
                return;
            case Step::Close:
                m_socket->disconnectFromHost();
                break;
            }
            ++m_step;
        }
    }

    QTcpServer m_server;
    QList<Step> m_script;
    QPointer<QTcpSocket> m_socket;
    QByteArray m_received;
    qsizetype m_step = 0;
    int m_connections = 0;
    bool m_clientClosed = false;
};

// The ChaSen server settings for a port.
inline ChasenSettings serverSettings(const QString& port)
{
    ChasenSettings settings;
    settings.type = ChasenSettings::Server;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    return settings;
}

// An application folder with the built chasen.sh in it and a tmp folder.
inline void installChasenScript(const QString& appDir)
{
    QDir().mkpath(appDir + u"/tmp");
    const QString target = appDir + u"/chasen.sh";
    QFile::remove(target);
    ASSERT_TRUE(QFile::copy(QStringLiteral(SOKURI_APP_DIR "/chasen.sh"), target));
    QFile::setPermissions(target,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// An executable shell script (a stand-in ChaSen program).
inline void writeScript(const QString& path, const QByteArray& body)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// sokuri-chasen-server, started on a port the system chooses.
class ChasenServerProcess
{
public:
    explicit ChasenServerProcess(const QStringList& extraArguments = {})
    {
        m_process.setProgram(QStringLiteral(SOKURI_APP_DIR "/sokuri-chasen-server"));
        m_process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} +
                               extraArguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
    }

    ~ChasenServerProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(HangGuardMs))
                m_process.kill();
            m_process.waitForFinished(HangGuardMs);
        }
    }

    // The port it listens on, read from its "listening on PORT" line; 0 when
    // it ended instead.
    quint16 port()
    {
        if (m_port)
            return m_port;
        const bool listening = QTest::qWaitFor(
            [&] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
            HangGuardMs);
        EXPECT_TRUE(listening);
        const QByteArray line = m_process.readLine().trimmed();
        if (!line.startsWith("listening on "))
            return 0;
        m_port = quint16(line.mid(13).toUInt());
        return m_port;
    }

    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    quint16 m_port = 0;
};

// One run of "sokuri-cli analyse ARGUMENTS" in the application folder appDir.
struct CommandRun
{
    int status = -1;
    QString out;
    QString err;
};

inline CommandRun analyseCommand(const QString& appDir, const QStringList& arguments)
{
    CommandRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    const cli::CliContext context{ResolveAppPaths(appDir),
                                  QStringList{QStringLiteral("analyse")} + arguments, out, err};
    run.status = cli::AnalyseCommand(context);
    out.flush();
    err.flush();
    return run;
}

// The keywords that "sokuri-cli analyse TEXT" prints, one a line; the
// command is expected to succeed.
inline QStringList analysedKeywords(const QString& appDir, const QString& text)
{
    const CommandRun run = analyseCommand(appDir, {text});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    return run.out.split(u'\n', Qt::SkipEmptyParts);
}

} // namespace sokuri::test
