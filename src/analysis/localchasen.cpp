#include "analysis/localchasen.h"

#include "analysis/keywords.h"
#include "encoding/codepage932.h"
#include "platform/messagesink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <signal.h>
#include <unistd.h>

namespace sokuri {

namespace {

UserMessage notInstalled()
{
    return {QStringLiteral("茶筅が導入されていません。"), QStringLiteral("File not found")};
}

UserMessage analysisFailed(int exitCode)
{
    return {QStringLiteral("茶筅の解析に失敗しました (終了コード %1)。").arg(exitCode),
            QStringLiteral("ChaSen error")};
}

UserMessage cannotWrite(const QString& path)
{
    return {path + u" に書き込めません。", QStringLiteral("Write error")};
}

} // namespace

ShellAndWait::ShellAndWait(QObject* parent)
    : QObject(parent)
{}

ShellAndWait::~ShellAndWait()
{
    stop();
    // Programs stopped earlier and not yet reaped go with this object: they
    // have been killed, so the wait is short.
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        if (process->state() != QProcess::NotRunning)
            process->waitForFinished(5000);
        delete process;
    }
}

void ShellAndWait::start(const QString& program, const QStringList& arguments)
{
    stop();
    auto* process = new QProcess(this);
    m_process = process;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A group of its own, so stop() reaches the programs the command starts.
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                if (process == m_process)
                    finish(status == QProcess::CrashExit ? Outcome::Crashed : Outcome::Finished,
                           exitCode);
            });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        // Every other error is followed by finished().
        if (error == QProcess::FailedToStart && process == m_process)
            finish(Outcome::FailedToStart, -1);
    });
    process->start();
}

void ShellAndWait::finish(Outcome outcome, int exitCode)
{
    QProcess* process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    process->deleteLater();
    emit ended(outcome, exitCode);
}

void ShellAndWait::stop()
{
    if (!m_process)
        return;
    QProcess* process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    const qint64 pid = process->processId();
    if (pid > 0)
        ::kill(pid_t(-pid), SIGKILL);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    process->kill();
    // Reaped once it has gone; the object goes with it.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
}

LocalChasen::LocalChasen(MessageSink& messages, QObject* parent)
    : QObject(parent)
    , m_messages(messages)
{
    connect(&m_shell, &ShellAndWait::ended, this, &LocalChasen::programEnded);
}

QString LocalChasen::InputFile(const AppPaths& paths)
{
    return paths.TmpPath + u"/sokuri_inp.txt";
}

QString LocalChasen::OutputFile(const AppPaths& paths)
{
    return paths.TmpPath + u"/sokuri_out.txt";
}

QString LocalChasen::CommandFile(const AppPaths& paths)
{
    return paths.AppPath + u"/chasen.sh";
}

void LocalChasen::start(const QString& text, const QString& filename, const AppPaths& paths,
                        KeywordList& keywords)
{
    stop();
    if (filename.isEmpty() || !QFileInfo(filename).isFile()) {
        m_messages.critical(notInstalled());
        return;
    }
    const QString command = CommandFile(paths);
    if (!QFileInfo(command).isFile()) {
        m_messages.critical(notInstalled());
        return;
    }
    m_paths = paths;
    if (!prepareFiles(text))
        return;

    m_keywords = &keywords;
    m_running = true;
    m_shell.start(command, {filename, InputFile(paths), OutputFile(paths), QStringLiteral("-c")});
}

bool LocalChasen::prepareFiles(const QString& text)
{
    QDir().mkpath(m_paths.TmpPath);

    // The output of an earlier run must never pass for this run's.
    const QString output = OutputFile(m_paths);
    if (QFileInfo::exists(output) && !QFile::remove(output)) {
        m_messages.critical(cannotWrite(output));
        return false;
    }

    const QString input = InputFile(m_paths);
    QSaveFile file(input);
    if (!file.open(QIODevice::WriteOnly) || file.write(cp932::encode(text) + "\r\n") < 0 ||
        !file.commit()) {
        m_messages.critical(cannotWrite(input));
        return false;
    }
    return true;
}

void LocalChasen::stop()
{
    m_shell.stop();
    m_running = false;
    m_keywords = nullptr;
}

void LocalChasen::programEnded(ShellAndWait::Outcome outcome, int exitCode)
{
    KeywordList* keywords = m_keywords;
    m_keywords = nullptr;
    switch (outcome) {
    case ShellAndWait::Outcome::FailedToStart:
        m_messages.critical(notInstalled());
        break;
    case ShellAndWait::Outcome::Crashed:
        m_messages.critical(analysisFailed(exitCode));
        break;
    case ShellAndWait::Outcome::Finished:
        if (exitCode == ProgramMissingStatus)
            m_messages.critical(notInstalled());
        else if (exitCode != 0)
            m_messages.critical(analysisFailed(exitCode));
        else if (keywords)
            ReadKeywordFile(OutputFile(m_paths), *keywords);
        break;
    }
    m_running = false;
    emit finished();
}

void LocalChasen::ReadKeywordFile(const QString& path, KeywordList& keywords)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;

    QByteArray line;
    bool cutting = false;
    bool awaitingTrail = false;
    auto endLine = [&] {
        if (!line.isEmpty())
            AddAnalysisLine(keywords, cp932::decode(line));
        line.clear();
        cutting = false;
        awaitingTrail = false;
    };
    while (!file.atEnd()) {
        const QByteArray block = file.read(64 * 1024);
        if (block.isEmpty())
            break;
        for (const char byte : block) {
            if (byte == '\n' || byte == '\r') {
                endLine();
            } else if (cutting) {
                continue;
            } else if (line.size() >= MaxLineBytes) {
                if (awaitingTrail)
                    line.chop(1);
                cutting = true;
            } else {
                line.append(byte);
                awaitingTrail = !awaitingTrail && cp932::isLeadByte(uchar(byte));
            }
        }
    }
    endLine();
}

} // namespace sokuri
