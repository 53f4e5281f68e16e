#include "app/searchrun.h"

#include "analysis/sentenceanalyser.h"
#include "common/splitfields.h"
#include "platform/messagesink.h"
#include "retrieval/resultsmodel.h"
#include "retrieval/searchconnection.h"
#include "searchplugins/buildrequest.h"
#include "searchplugins/plugincatalogue.h"

#include <algorithm>

namespace sokuri {

namespace {

constexpr int AnalysisError = 9;

} // namespace

SearchRun::SearchRun(const AppPaths& paths, PluginCatalogue& catalogue, ResultsModel& results,
                     MessageSink& messages, QObject* parent)
    : QObject(parent)
    , m_paths(paths)
    , m_catalogue(catalogue)
    , m_results(results)
    , m_messages(messages)
{
    m_analyser = new SentenceAnalyser(messages, this);
    connect(m_analyser, &SentenceAnalyser::stateChanged, this, [this] {
        if (m_phase == Phase::Analysing)
            checkAnalysis();
    });

    for (int i = 0; i < MaxConnections; ++i) {
        auto* connection = new SearchConnection(this);
        m_connections[std::size_t(i)] = connection;
        connect(connection, &SearchConnection::rowsFound, this,
                [this](const QList<ResultRow>& rows) { m_results.addRows(rows); });
        connect(connection, &SearchConnection::statusChanged, this,
                [this, i](const EngineStatus& status) { connectionStatus(i, status); });
        connect(connection, &SearchConnection::stateChanged, this, [this](int state) {
            if (state == SearchConnection::Closed && m_waitingForConnection)
                dispatchNext();
            if (state == SearchConnection::Closed || state == SearchConnection::Error)
                checkEnd();
        });
    }

    m_statusOfConnection.fill(-1);
    m_pause.setSingleShot(true);
    // Never early: requests of a paced run start at least the interval apart.
    m_pause.setTimerType(Qt::PreciseTimer);
    connect(&m_pause, &QTimer::timeout, this, &SearchRun::sendPending);
}

SearchRun::~SearchRun() = default;

void SearchRun::setSearchSettings(const SearchSettings& settings)
{
    m_pending = settings;
    if (m_phase == Phase::Idle) {
        m_connectionCount = std::clamp(settings.connections, 1, int(MaxConnections));
        m_intervalMs = std::clamp(settings.intervalMs, 0, SearchSettings::MaxIntervalMs);
    }
}

void SearchRun::setDefaultTimeout(int seconds)
{
    for (SearchConnection* connection : m_connections)
        connection->setDefaultTimeout(seconds);
}

void SearchRun::start(InputMode mode, const QString& text)
{
    if (m_phase != Phase::Idle)
        return;
    setSearchSettings(m_pending);

    // A connection left in error by an earlier run would never be taken
    // again; a run starts with all of them usable.
    for (SearchConnection* connection : m_connections) {
        if (connection->state() == SearchConnection::Error)
            connection->close();
    }
    // The proxy is read for each run, so a change in the Options dialog
    // counts from the next search.
    const ProxySettings proxy = LoadProxySettings(m_paths);
    m_rests.emplace(m_paths, m_clock);
    for (SearchConnection* connection : m_connections)
        connection->setProxySettings(proxy);
    // Likewise a ChaSen server that could not be reached last time: its error
    // is not news for this run, and a keyword run must not report it again.
    if (m_analyser->state() == SentenceAnalyser::Failed)
        m_analyser->close();

    m_searchStopped = false;
    m_stoppedByUser = false;
    m_dispatching = true;
    m_waitingForConnection = false;
    m_statuses.clear();
    m_statusOfConnection.fill(-1);
    m_results.clear();
    setPhase(Phase::Analysing);
    setCanStop(true);
    const QString trimmed = TrimSpaces(text);
    emit started(trimmed);

    if (mode == InputMode::Sentence) {
        m_analyser->AnalyseText(trimmed, m_settings, m_paths, m_analysedKeywords);
        m_lastKeywords = &m_analysedKeywords;
    } else if (mode == InputMode::Keywords) {
        m_keywords.setFromText(trimmed);
        m_lastKeywords = &m_keywords;
    }
    checkAnalysis();
}

void SearchRun::checkAnalysis()
{
    // Also in keyword mode: an analysis still under way from a stopped run
    // holds the new run until it is over.
    const int state = m_analyser->state();
    if (state == 0) {
        beginDispatching();
    } else if (m_searchStopped) {
        endSearch();
    } else if (state == AnalysisError) {
        m_messages.critical({QStringLiteral("茶筅サーバーに接続出来ません。"),
                             QStringLiteral("Host not response")});
        endSearch();
    }
}

void SearchRun::beginDispatching()
{
    // Without a mode the keywords of the last run count, as before.
    m_keywordString = m_lastKeywords->joined();
    emit keywordsChosen(m_lastKeywords->words());
    if (m_keywordString.isEmpty()) {
        endSearch();
        return;
    }

    m_plugins = m_catalogue.checkedNames();
    // A resting engine is not asked: it is told as resting and handed out
    // to no connection.
    const RestTable resting = m_ignoreRests || !m_rests ? RestTable() : m_rests->resting();
    const QDateTime now = m_rests ? m_rests->now() : QDateTime();
    for (const QString& plugin : m_plugins) {
        if (const auto rest = resting.constFind(plugin); rest != resting.cend()) {
            m_statuses.append(RestingStatus(plugin, *rest, now));
        } else {
            EngineStatus waiting;
            waiting.plugin = plugin;
            m_statuses.append(waiting);
        }
    }
    for (int i = 0; i < m_statuses.size(); ++i)
        emit engineStatusChanged(i, m_statuses[i]);

    m_nextPlugin = 0;
    m_socket = 0;
    setPhase(Phase::Dispatching);
    dispatchNext();
}

void SearchRun::dispatchNext()
{
    m_waitingForConnection = false;
    // Without a wait before each request, every free connection is given its
    // engine in one go.
    while (m_phase == Phase::Dispatching && !m_pause.isActive()) {
        if (m_searchStopped) {
            setPhase(Phase::Draining);
            return;
        }
        while (m_nextPlugin < m_plugins.size() &&
               m_statuses[m_nextPlugin].kind == EngineStatus::Resting)
            ++m_nextPlugin;
        if (m_nextPlugin >= m_plugins.size()) {
            m_dispatching = false;
            setPhase(Phase::Draining);
            checkEnd();
            return;
        }
        if (!freeConnection()) {
            // All are busy: the next connection to close continues here.
            m_waitingForConnection = true;
            return;
        }
        if (m_intervalMs > 0) {
            m_pause.start(m_intervalMs);
            return;
        }
        sendNext();
    }
}

// Round robin from the connection used last; only a closed one is free. The
// free one is reset for its next engine.
bool SearchRun::freeConnection()
{
    for (int tried = 0; tried < m_connectionCount; ++tried) {
        if (m_connections[std::size_t(m_socket)]->state() == SearchConnection::Closed) {
            m_connections[std::size_t(m_socket)]->close();
            return true;
        }
        m_socket = (m_socket + 1) % m_connectionCount;
    }
    return false;
}

void SearchRun::sendPending()
{
    if (m_phase != Phase::Dispatching || m_searchStopped)
        return;
    sendNext();
    dispatchNext();
}

void SearchRun::sendNext()
{
    const int index = m_nextPlugin++;
    PluginSlot slot;
    QString reason;
    SearchConnection* connection = m_connections[std::size_t(m_socket)];
    if (BuildRequest(m_paths, m_plugins[index], m_keywordString, slot, &reason)) {
        m_statusOfConnection[std::size_t(m_socket)] = index;
        connection->connectTo(slot);
    } else {
        setStatus(index, EngineStatus::Skipped, reason);
    }
}

// The run ends as soon as every engine has been handed out and no connection
// is busy any more: each one has answered, failed or run out of time.
void SearchRun::checkEnd()
{
    if (m_dispatching || (m_phase != Phase::Dispatching && m_phase != Phase::Draining))
        return;
    for (int i = 0; i < MaxConnections; ++i) {
        const int state = m_connections[std::size_t(i)]->state();
        if (state != SearchConnection::Closed && state != SearchConnection::Error)
            return;
    }
    endSearch();
}

void SearchRun::stop()
{
    if (m_phase == Phase::Idle)
        return;
    setCanStop(false);
    m_searchStopped = true;
    m_stoppedByUser = true;
    m_dispatching = false;
    // The request that the pause was holding back is not sent: after Stop no
    // new engine is asked.
    m_pause.stop();
    m_waitingForConnection = false;
    if (m_phase == Phase::Analysing) {
        for (SearchConnection* connection : m_connections)
            connection->close();
        endSearch();
        return;
    }
    setPhase(Phase::Draining);
    // The last connection to close ends the run; so does the check below
    // when none was busy.
    for (SearchConnection* connection : m_connections)
        connection->close();
    checkEnd();
}

void SearchRun::endSearch()
{
    m_pause.stop();
    m_waitingForConnection = false;
    m_searchStopped = true;
    m_dispatching = false;
    setCanStop(false);
    setPhase(Phase::Idle);
    emit finished();
}

void SearchRun::setPhase(Phase phase)
{
    if (m_phase == phase)
        return;
    m_phase = phase;
    emit phaseChanged(phase);
}

void SearchRun::setCanStop(bool canStop)
{
    if (m_canStop == canStop)
        return;
    m_canStop = canStop;
    emit canStopChanged(canStop);
}

void SearchRun::connectionStatus(int connection, const EngineStatus& status)
{
    const int index = m_statusOfConnection[std::size_t(connection)];
    if (index < 0 || index >= m_statuses.size())
        return;
    EngineStatus& entry = m_statuses[index];
    const QString plugin = entry.plugin;
    entry = status;
    entry.plugin = plugin;
    emit engineStatusChanged(index, entry);
    if (status.kind == EngineStatus::Done || status.kind == EngineStatus::Failed) {
        m_statusOfConnection[std::size_t(connection)] = -1;
        if (m_rests && m_rests->enabled()) {
            m_rests->record(entry);
            emit restsChanged();
        }
    }
}

void SearchRun::setStatus(int index, EngineStatus::Kind kind, const QString& reason)
{
    EngineStatus& entry = m_statuses[index];
    entry.kind = kind;
    entry.reason = reason;
    emit engineStatusChanged(index, entry);
}

} // namespace sokuri
