#pragma once

#include "analyseroutput.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

class QProcess;
class QTcpSocket;

namespace sokuri::chasenserver {

// One client of the ChaSen server. Commands, one a line ending in LF (a CR
// before it is dropped):
//   "RUN [OPTION...]"  "200 OK"; the lines that follow are texts, each one
//                      analysed by the ChaSen program with those options and
//                      answered with its morpheme lines and "EOS", until
//   "."                which ends the texts: "200 OK"
//   "QUIT"             "200 OK", then the connection is closed
// Everything on the wire is EUC-JP. The session reads one line at a time and
// only while no analysis runs and its answers are not piling up unread, so a
// client costs bounded memory whatever it sends, and the others go on.
class ChasenSession : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype MaxLineBytes = 64 * 1024;
    // Answers waiting to be sent beyond which no further line is read.
    static constexpr qint64 MaxUnsentBytes = 1024 * 1024;

    // Takes over socket and sends the greeting; the session deletes itself
    // when the client has gone.
    ChasenSession(QTcpSocket* socket, const QString& chasenProgram, QObject* parent);
    ~ChasenSession() override;

private:
    void readInput();
    void handleLine(QByteArray line);
    void handleCommand(const QByteArray& line);
    void startAnalysis(const QByteArray& text);
    void analysisOutput();
    void analysisEnded(bool ok);
    void sendAnalysisLine(const QByteArray& utf8Line);
    void send(const QByteArray& bytes);
    void clientGone();
    void endAnalysis();

    QTcpSocket* m_socket;
    QString m_chasenProgram;
    QStringList m_runOptions;
    bool m_inRun = false;
    bool m_quitting = false;

    QByteArray m_inbox; // bytes read from the socket, not yet looked at
    qsizetype m_inboxPos = 0;
    QByteArray m_line;       // the line being assembled
    bool m_overlong = false; // the line was too long; its rest is dropped

    QProcess* m_analysis = nullptr;
    std::optional<AnalyserOutput> m_reader; // how the running analysis is asked and read
    QByteArray m_output;                    // the start of an output line of the analysis
    bool m_outputOverlong = false;
    bool m_sawEos = false;
};

} // namespace sokuri::chasenserver
