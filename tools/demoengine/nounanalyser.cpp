#include "demoengine/nounanalyser.h"

#include "demoengine/terms.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace sokuri::demo {

NounAnalyser::NounAnalyser(QString program, QObject* parent)
    : QObject(parent)
    , m_program(std::move(program))
{
    m_guard.setSingleShot(true);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    connect(&m_guard, &QTimer::timeout, this, [this] { fail(u"ChaSen did not answer in time"_s); });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &NounAnalyser::readOutput);
    connect(&m_process, &QProcess::finished, this, &NounAnalyser::processFinished);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        // A crash and a failed write are reported by finished as well.
        if (error == QProcess::FailedToStart)
            fail(u"ChaSen (%1) cannot be started: %2"_s.arg(m_program, m_process.errorString()));
    });
}

NounAnalyser::~NounAnalyser()
{
    m_done = true;
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void NounAnalyser::start(const QStringList& sentences, int timeoutMs)
{
    m_done = false;
    m_output.clear();
    m_expected = sentences.size();
    QByteArray input;
    for (const QString& sentence : sentences) {
        QString line = sentence;
        line.replace(u'\r', u' ').replace(u'\n', u' ');
        input += line.toUtf8() + '\n';
    }
    m_guard.start(timeoutMs);
    m_process.start(m_program, {u"-i"_s, u"w"_s});
    m_process.write(input);
    m_process.closeWriteChannel();
}

void NounAnalyser::readOutput()
{
    if (m_done)
        return;
    m_output += m_process.readAllStandardOutput();
    if (m_output.size() > MaxOutputBytes)
        fail(u"ChaSen wrote more than %1 bytes"_s.arg(MaxOutputBytes));
}

void NounAnalyser::processFinished(int exitCode, QProcess::ExitStatus status)
{
    if (m_done)
        return;
    readOutput();
    if (m_done)
        return;
    if (status != QProcess::NormalExit || exitCode != 0) {
        fail(u"ChaSen ended with an error (exit status %1)"_s.arg(exitCode));
        return;
    }
    const QList<QStringList> nouns = ChasenNouns(QString::fromUtf8(m_output));
    if (nouns.size() != m_expected) {
        fail(u"ChaSen gave %1 sentences for %2"_s.arg(nouns.size()).arg(m_expected));
        return;
    }
    m_done = true;
    m_guard.stop();
    emit finished(nouns);
}

void NounAnalyser::fail(const QString& reason)
{
    if (m_done)
        return;
    m_done = true;
    m_guard.stop();
    if (m_process.state() != QProcess::NotRunning)
        m_process.kill();
    emit failed(reason);
}

} // namespace sokuri::demo
