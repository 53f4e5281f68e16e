#pragma once

#include "common/appstate.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

namespace sokuri {

class KeywordList;
class MessageSink;

// Starts a program with an argument list, without a shell, and reports its
// end: the event-driven form of starting a command and waiting for it. The
// program runs in a process group of its own, so stop() also ends whatever it
// started.
class ShellAndWait : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        Finished,      // the program ended by itself; exitCode is its status
        FailedToStart, // it could not be started
        Crashed,       // it was ended by a signal
    };
    Q_ENUM(Outcome)

    explicit ShellAndWait(QObject* parent = nullptr);
    ~ShellAndWait() override;

    // Starts program with arguments (each one arrives whole, blanks and shell
    // characters included) and returns at once; ended() follows, also when
    // the program cannot be started. Its standard input is empty, its output
    // is dropped and its error output goes to this program's. A program still
    // running is stopped first.
    void start(const QString& program, const QStringList& arguments);
    // Ends the running program and its process group; no ended() follows.
    void stop();
    bool isRunning() const { return m_process != nullptr; }

signals:
    void ended(sokuri::ShellAndWait::Outcome outcome, int exitCode);

private:
    void finish(Outcome outcome, int exitCode);

    QProcess* m_process = nullptr;
};

// The analysis of a text by the ChaSen program on this machine: the text goes
// to TmpPath/sokuri_inp.txt, AppPath/chasen.sh analyses it into
// TmpPath/sokuri_out.txt, and every line of that file goes to the keyword
// extraction. A missing ChaSen program, a missing chasen.sh or one that
// cannot start is reported as "茶筅が導入されていません。".
class LocalChasen : public QObject
{
    Q_OBJECT

public:
    // The exit status of chasen.sh when the ChaSen program is missing or
    // cannot be run.
    static constexpr int ProgramMissingStatus = 1;

    explicit LocalChasen(MessageSink& messages, QObject* parent = nullptr);

    // Ends a run under way, then starts the analysis of text by the ChaSen
    // program filename and returns at once; keywords (which must outlive the
    // run) are filled when the program has ended, then finished() follows.
    // When nothing could be started the message is shown here, no keywords
    // are added and isRunning() is false on return.
    void start(const QString& text, const QString& filename, const AppPaths& paths,
               KeywordList& keywords);
    // Ends a run under way without reading its output.
    void stop();
    bool isRunning() const { return m_running; }

    static QString InputFile(const AppPaths& paths);
    static QString OutputFile(const AppPaths& paths);
    static QString CommandFile(const AppPaths& paths);

    // Reads a Shift_JIS analysis file line by line into AddKeywordLine. Lines
    // end in CR LF, LF or CR; a line over MaxLineBytes bytes is cut there, at a
    // character boundary. A missing file adds nothing.
    static void ReadKeywordFile(const QString& path, KeywordList& keywords);
    static constexpr int MaxLineBytes = 32767;

signals:
    // The run started by start() has ended and its keywords are in the list.
    void finished();

private:
    void programEnded(ShellAndWait::Outcome outcome, int exitCode);
    bool prepareFiles(const QString& text);

    MessageSink& m_messages;
    ShellAndWait m_shell;
    KeywordList* m_keywords = nullptr;
    AppPaths m_paths;
    bool m_running = false;
};

} // namespace sokuri
