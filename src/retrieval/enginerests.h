#pragma once

#include "common/appstate.h"
#include "common/clock.h"
#include "common/restsettings.h"
#include "retrieval/enginerest.h"
#include "retrieval/enginestatus.h"
#include "retrieval/reststore.h"

#include <optional>

namespace sokuri {

// The rests of an application folder's engines: the settings of sokuri.ini,
// the state file and the clock together. The run asks whether an engine
// rests and records every outcome; the plugin list, the plugin manager and
// the command line show the rests and resume engines. With rests turned off
// in the settings nothing rests and nothing is recorded; resuming still
// clears what an earlier setting left.
class EngineRests
{
public:
    EngineRests(const AppPaths& paths, Clock clock = {});
    EngineRests(QString statePath, const RestSettings& settings, Clock clock = {});

    bool enabled() const { return m_settings.enabled(); }
    const RestSettings& settings() const { return m_settings; }
    QDateTime now() const { return ClockNow(m_clock); }
    const QString& statePath() const { return m_store.path(); }

    // The engine's rest when it rests now.
    std::optional<EngineRest> restOf(const QString& plugin) const;
    // Every engine that rests now, by name.
    RestTable resting() const;

    // Records an engine's outcome (Done or Failed) of a run: a refusal
    // starts or lengthens its rest, an answer ends it. False when the state
    // file could not be written.
    bool record(const EngineStatus& outcome, QString* errorText = nullptr) const;

    // Ends the engine's rest (and its count of refusals in a row); rested
    // tells whether it was resting. False with the reason when the state file
    // could not be written.
    bool resume(const QString& plugin, bool* rested = nullptr, QString* errorText = nullptr) const;
    // Ends every rest; the names resumed.
    QStringList resumeAll(QString* errorText = nullptr) const;

private:
    RestSettings m_settings;
    RestStore m_store;
    Clock m_clock;
};

// The status of an engine that is not asked because it rests.
EngineStatus RestingStatus(const QString& plugin, const EngineRest& rest, const QDateTime& now);

} // namespace sokuri
