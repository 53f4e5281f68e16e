#include "chasensession.h"

#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTcpSocket>

#include <utility>

namespace sokuri::chasenserver {

namespace {

// The options of ChaSen that only choose what is printed; options naming
// files or encodings are not for clients.
bool allowedOption(const QString& option)
{
    static const QStringList allowed = {
        QStringLiteral("-s"), QStringLiteral("-b"), QStringLiteral("-m"), QStringLiteral("-p"),
        QStringLiteral("-f"), QStringLiteral("-e"), QStringLiteral("-c"), QStringLiteral("-d"),
        QStringLiteral("-v"), QStringLiteral("-j")};
    return allowed.contains(option);
}

QByteArray eucFromUtf8(const QByteArray& utf8)
{
    QStringEncoder encoder("EUC-JP");
    return encoder.encode(QString::fromUtf8(utf8));
}

QString textFromEuc(const QByteArray& euc)
{
    QStringDecoder decoder("EUC-JP");
    return decoder.decode(euc);
}

} // namespace

ChasenSession::ChasenSession(QTcpSocket* socket, const QString& chasenProgram, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_chasenProgram(chasenProgram)
{
    m_socket->setParent(this);
    // Unread input stays in the system's buffers, which holds the client back.
    m_socket->setReadBufferSize(MaxLineBytes);
    connect(m_socket, &QIODevice::readyRead, this, &ChasenSession::readInput);
    connect(m_socket, &QIODevice::bytesWritten, this, &ChasenSession::readInput);
    connect(m_socket, &QAbstractSocket::disconnected, this, &ChasenSession::clientGone);
    send("200 Running ChaSen version: 2.4.5\n");
}

ChasenSession::~ChasenSession()
{
    endAnalysis();
}

void ChasenSession::send(const QByteArray& bytes)
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(bytes);
}

void ChasenSession::readInput()
{
    while (!m_analysis && !m_quitting && m_socket->bytesToWrite() <= MaxUnsentBytes) {
        if (m_inboxPos >= m_inbox.size()) {
            if (m_socket->bytesAvailable() <= 0)
                return;
            m_inbox = m_socket->read(16 * 1024);
            m_inboxPos = 0;
            if (m_inbox.isEmpty())
                return;
        }
        const char byte = m_inbox.at(m_inboxPos++);
        if (byte == '\n') {
            if (m_overlong)
                m_overlong = false;
            else
                handleLine(std::exchange(m_line, {}));
        } else if (m_overlong) {
            continue;
        } else if (m_line.size() >= MaxLineBytes) {
            m_overlong = true;
            m_line.clear();
            send("500 Line too long\n");
        } else {
            m_line.append(byte);
        }
    }
}

void ChasenSession::handleLine(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (!m_inRun) {
        handleCommand(line);
    } else if (line == ".") {
        m_inRun = false;
        send("200 OK\n");
    } else {
        startAnalysis(line);
    }
}

void ChasenSession::handleCommand(const QByteArray& line)
{
    const QStringList words = QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return;
    const QString command = words.first().toUpper();
    if (command == u"RUN") {
        const QStringList options = words.mid(1);
        for (const QString& option : options) {
            if (!allowedOption(option)) {
                send("500 Option not allowed: " + option.toLatin1() + "\n");
                return;
            }
        }
        m_runOptions = options;
        m_inRun = true;
        send("200 OK\n");
    } else if (command == u"QUIT") {
        send("200 OK\n");
        m_quitting = true;
        // Sends what is still queued, then closes.
        m_socket->disconnectFromHost();
    } else {
        send("500 Unknown command\n");
    }
}

void ChasenSession::startAnalysis(const QByteArray& text)
{
    m_output.clear();
    m_outputOverlong = false;
    m_sawEos = false;

    auto* process = new QProcess(this);
    m_analysis = process;
    m_reader.emplace(m_chasenProgram, m_runOptions);
    process->setProgram(m_chasenProgram);
    process->setArguments(m_reader->arguments());
    process->setStandardErrorFile(QProcess::nullDevice());
    connect(process, &QProcess::readyReadStandardOutput, this, &ChasenSession::analysisOutput);
    connect(process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        analysisEnded(status == QProcess::NormalExit && exitCode == 0);
    });
    connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            analysisEnded(false);
    });
    process->start();
    if (m_analysis != process)
        return; // it could not be started, and that has been answered
    // The analysers of this machine read UTF-8; one text is one line for them.
    process->write(textFromEuc(text).toUtf8() + '\n');
    process->closeWriteChannel();
}

void ChasenSession::analysisOutput()
{
    if (!m_analysis)
        return;
    const QByteArray bytes = m_analysis->readAllStandardOutput();
    for (const char byte : bytes) {
        if (byte == '\n') {
            if (!m_outputOverlong)
                sendAnalysisLine(m_output);
            m_output.clear();
            m_outputOverlong = false;
        } else if (m_output.size() >= MaxLineBytes) {
            m_outputOverlong = true;
        } else if (!m_outputOverlong) {
            m_output.append(byte);
        }
    }
}

void ChasenSession::sendAnalysisLine(const QByteArray& utf8Line)
{
    if (utf8Line == "EOS")
        m_sawEos = true;
    send(eucFromUtf8(m_reader ? m_reader->clientLine(utf8Line) : utf8Line) + '\n');
}

void ChasenSession::analysisEnded(bool ok)
{
    if (!m_analysis)
        return;
    analysisOutput();
    if (!m_output.isEmpty() && !m_outputOverlong)
        sendAnalysisLine(m_output);
    m_output.clear();
    QProcess* process = std::exchange(m_analysis, nullptr);
    process->disconnect(this);
    process->deleteLater();
    if (!ok)
        send("500 ChaSen failed\n");
    // The client waits for the end of every answer.
    if (!m_sawEos)
        send("EOS\n");
    // The next line is read from the event loop, so a run of texts that all
    // fail at once does not nest.
    QMetaObject::invokeMethod(this, &ChasenSession::readInput, Qt::QueuedConnection);
}

void ChasenSession::endAnalysis()
{
    if (!m_analysis)
        return;
    QProcess* process = std::exchange(m_analysis, nullptr);
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        delete process;
        return;
    }
    process->kill();
    // Reaped by the server, which outlives this session.
    process->setParent(parent());
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
}

void ChasenSession::clientGone()
{
    endAnalysis();
    deleteLater();
}

} // namespace sokuri::chasenserver
