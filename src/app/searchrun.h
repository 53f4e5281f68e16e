#pragma once

#include "analysis/keywords.h"
#include "common/appstate.h"
#include "common/clock.h"
#include "common/inputmode.h"
#include "common/searchsettings.h"
#include "common/settings.h"
#include "retrieval/enginerests.h"
#include "retrieval/enginestatus.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <array>
#include <optional>

namespace sokuri {

class MessageSink;
class PluginCatalogue;
class ResultsModel;
class SearchConnection;
class SentenceAnalyser;

// One search run from the Search button to the idle state: the keywords from
// the analysis of the sentence or from the blanks of the keyword text, every
// checked plugin handed in list order to the next free one of three
// connections, a one-second pause before each request, and the end of the run
// noticed by a once-a-second check when no connection is busy any more.
//
// The run is event-driven: start() returns at once and the run goes on in
// socket, process and timer events, so the window stays responsive and a
// waiting run uses no CPU. The window (or the command line) binds to the
// signals.
class SearchRun : public QObject
{
    Q_OBJECT

public:
    enum class Phase {
        Idle,        // no run
        Analysing,   // waiting for the keywords
        Dispatching, // handing plugins to connections
        Draining,    // every plugin handed out; waiting for the answers
    };

    // The connections of a run without search settings, and the most a run
    // may use.
    static constexpr int ConnectionCount = SearchSettings::DefaultConnections;
    static constexpr int MaxConnections = SearchSettings::MaxConnections;

    SearchRun(const AppPaths& paths, PluginCatalogue& catalogue, ResultsModel& results,
              MessageSink& messages, QObject* parent = nullptr);
    ~SearchRun() override;

    // The analyser settings used by the next sentence-mode run.
    void setChasenSettings(const ChasenSettings& settings) { m_settings = settings; }
    const ChasenSettings& chasenSettings() const { return m_settings; }
    // Seconds an engine has for its answer when its plugin names no
    // time-out of its own; 0: none (sokuri.ini's search/timeout).
    void setDefaultTimeout(int seconds);
    // How many engines are asked at once and the wait before each request,
    // from the next run on (sokuri.ini's section "search").
    void setSearchSettings(const SearchSettings& settings);
    int connectionCount() const { return m_connectionCount; }
    // The clock that the engines' rests go by (empty: the system's).
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // Asks resting engines all the same, from the next run on (their
    // outcomes are still recorded). Rests follow sokuri.ini's section "rest",
    // read at the start of every run; without it no engine rests.
    void setIgnoreRests(bool ignore) { m_ignoreRests = ignore; }

    // The Search button. text is the input as typed; the run works on it
    // without blanks at both ends (announced by started()). Does nothing while
    // a run is under way.
    void start(InputMode mode, const QString& text);
    // The Stop button: closes every connection and ends the run at once.
    void stop();

    Phase phase() const { return m_phase; }
    bool isRunning() const { return m_phase != Phase::Idle; }
    bool searchStopped() const { return m_searchStopped; }
    bool dispatching() const { return m_dispatching; }
    bool canStop() const { return m_canStop; }
    // Whether the current or last run was ended by the Stop button.
    bool stoppedByUser() const { return m_stoppedByUser; }

    // The keywords the current or last run searched with: the analyser's
    // choice in sentence mode, the fields in keyword mode.
    const QStringList& searchedKeywords() const { return m_lastKeywords->words(); }
    // The keyword string of the current or last run, words joined by blanks.
    const QString& keywordString() const { return m_keywordString; }
    SearchConnection& connection(int index) { return *m_connections[std::size_t(index)]; }
    SentenceAnalyser& analyser() { return *m_analyser; }
    // The status of every engine of the current or last run, in list order.
    const QList<EngineStatus>& engineStatuses() const { return m_statuses; }

signals:
    // The run has started: input frozen, results cleared, viewer blanked,
    // Stop enabled, Search disabled; trimmedText is the input without blanks
    // at both ends, as the input line shows it from now on.
    void started(const QString& trimmedText);
    // Stop may be pressed (true from the start, false after a stop).
    void canStopChanged(bool canStop);
    void phaseChanged(Phase phase);
    // The run has ended and the window is idle again.
    void finished();
    void engineStatusChanged(int index, const EngineStatus& status);
    // The keywords are known (possibly none, and then nothing is searched).
    void keywordsChosen(const QStringList& keywords);
    // An engine's rest has begun, grown or ended (the state file changed).
    void restsChanged();

private:
    void checkAnalysis();
    void beginDispatching();
    void dispatchNext();
    void sendPending();
    void sendNext();
    bool freeConnection();
    void checkEnd();
    void endSearch();
    void setPhase(Phase phase);
    void setCanStop(bool canStop);
    void connectionStatus(int connection, const EngineStatus& status);
    void setStatus(int index, EngineStatus::Kind kind, const QString& reason = {});

    AppPaths m_paths;
    PluginCatalogue& m_catalogue;
    ResultsModel& m_results;
    MessageSink& m_messages;
    ChasenSettings m_settings;

    SentenceAnalyser* m_analyser = nullptr;
    std::array<SearchConnection*, MaxConnections> m_connections{};
    QTimer m_pause; // the wait before each request
    int m_connectionCount = ConnectionCount;
    int m_intervalMs = SearchSettings::DefaultIntervalMs;
    SearchSettings m_pending; // taken at the start of the next run
    Phase m_phase = Phase::Idle;
    bool m_searchStopped = false;
    bool m_dispatching = false;
    bool m_canStop = false;
    bool m_stoppedByUser = false;
    bool m_waitingForConnection = false;

    KeywordList m_keywords;                          // keyword mode
    KeywordList m_analysedKeywords;                  // sentence mode, filled by the analyser
    const KeywordList* m_lastKeywords = &m_keywords; // what the last mode filled
    QString m_keywordString;
    QStringList m_plugins; // the checked plugins, in list order
    int m_nextPlugin = 0;
    int m_socket = 0; // where the search for a free connection goes on
    // Which engine of m_statuses each connection is asking, -1 for none.
    std::array<int, MaxConnections> m_statusOfConnection{};
    QList<EngineStatus> m_statuses;
    Clock m_clock;
    bool m_ignoreRests = false;
    std::optional<EngineRests> m_rests; // of the current or last run
};

} // namespace sokuri
