#pragma once

#include "analysis/chasenclient.h"
#include "analysis/localchasen.h"
#include "common/appstate.h"
#include "common/settings.h"

#include <QObject>
#include <QString>

#include <optional>

namespace sokuri {

class KeywordList;
class MessageSink;

// The analysis of one sentence, by the "type" setting: 0 the local ChaSen run
// through AppPath/chasen.sh, 1 the ChaSen server dialogue, anything else
// nothing.
class SentenceAnalyser : public QObject
{
    Q_OBJECT

public:
    enum State : int {
        Idle = ChasenClient::Closed,
        LocalRunning = 3, // the local ChaSen program runs
        Failed = ChasenClient::Error,
        // Every other value of ChasenClient::State: the server dialogue is busy.
    };

    explicit SentenceAnalyser(MessageSink& messages, QObject* parent = nullptr);
    ~SentenceAnalyser() override;

    // Empties keywords, ends an analysis still under way (its server
    // connection is closed, its local program ended), then starts the
    // analysis of text; keywords are added to keywords as analysis lines
    // arrive (the list must outlive the analysis). When the keyword settings
    // (setKeywordSettings, else the section "keywords" of paths.IniPath as it
    // stands) choose, by compound terms or a maximum, the list is replaced by
    // the chosen keywords when the analysis ends, before stateChanged
    // reports it; lines of a foreign server's numeric codes keep the keyword
    // rule's. Returns at once; messages
    // (a missing ChaSen program) are shown before it returns.
    void AnalyseText(const QString& text, const ChasenSettings& settings, const AppPaths& paths,
                     KeywordList& keywords);

    // 0: no analysis under way (done, or none started); 9: the server could
    // not be reached, the port is no number, or the connection broke; any
    // other value: busy. The state is busy from AnalyseText on (also during
    // the one-second pause before connecting and while the local program
    // runs) until the analysis ends; 9 stays until the next AnalyseText.
    int state() const;

    // Ends any analysis: closes the server connection (also one left in
    // state 9) and ends the local program. The state is 0 on return.
    void close();

    // The keyword settings of every later analysis, instead of the file's.
    void setKeywordSettings(const KeywordSettings& settings) { m_fixedSettings = settings; }

signals:
    // The state has changed since it was last reported or since AnalyseText
    // or close() returned. Emitted from socket, timer and process events
    // only, never inside those calls: read state() when they return.
    void stateChanged(int state);

private:
    void reportState();
    void chooseKeywords();

    ChasenClient m_client;
    LocalChasen m_local;
    int m_lastReportedState = Idle;
    bool m_inAnalyseText = false;
    // The analysis whose keywords are still to be chosen.
    KeywordList* m_choosingFor = nullptr;
    QString m_analysedText;
    KeywordSettings m_keywordSettings;
    std::optional<KeywordSettings> m_fixedSettings;
};

} // namespace sokuri
