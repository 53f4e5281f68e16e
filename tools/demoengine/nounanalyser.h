#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace sokuri::demo {

// Runs ChaSen once over a set of sentences and reports the nouns of each.
// The analyser reads and writes UTF-8 ("-i w"). Exactly one of finished and
// failed follows each start, from the event loop.
class NounAnalyser : public QObject
{
    Q_OBJECT

public:
    // The most output bytes taken from ChaSen; more is a failure.
    static constexpr qsizetype MaxOutputBytes = 64 * 1024 * 1024;

    explicit NounAnalyser(QString program, QObject* parent = nullptr);
    ~NounAnalyser() override;

    // Starts the analyser over the sentences, one a line (line breaks inside
    // a sentence become blanks). A run that has not ended after timeoutMs is
    // killed and fails.
    void start(const QStringList& sentences, int timeoutMs);

signals:
    // One noun list per sentence, in order.
    void finished(const QList<QStringList>& nouns);
    void failed(const QString& reason);

private:
    void readOutput();
    void processFinished(int exitCode, QProcess::ExitStatus status);
    void fail(const QString& reason);

    QString m_program;
    QProcess m_process;
    QTimer m_guard;
    QByteArray m_output;
    qsizetype m_expected = 0;
    bool m_done = true;
};

} // namespace sokuri::demo
