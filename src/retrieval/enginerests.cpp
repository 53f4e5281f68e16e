#include "retrieval/enginerests.h"

namespace sokuri {

EngineRests::EngineRests(const AppPaths& paths, Clock clock)
    : EngineRests(RestStatePath(paths), LoadRestSettings(paths), std::move(clock))
{}

EngineRests::EngineRests(QString statePath, const RestSettings& settings, Clock clock)
    : m_settings(settings)
    , m_store(std::move(statePath))
    , m_clock(std::move(clock))
{}

std::optional<EngineRest> EngineRests::restOf(const QString& plugin) const
{
    if (!enabled())
        return std::nullopt;
    const QDateTime at = now();
    const RestTable table = m_store.read(at);
    const auto rest = table.constFind(plugin);
    if (rest == table.cend() || !rest->restingAt(at))
        return std::nullopt;
    return *rest;
}

RestTable EngineRests::resting() const
{
    RestTable table;
    if (!enabled())
        return table;
    const QDateTime at = now();
    table = m_store.read(at);
    for (auto rest = table.begin(); rest != table.end();) {
        if (rest->restingAt(at))
            ++rest;
        else
            rest = table.erase(rest);
    }
    return table;
}

bool EngineRests::record(const EngineStatus& outcome, QString* errorText) const
{
    if (!enabled() || outcome.plugin.isEmpty() ||
        (outcome.kind != EngineStatus::Done && outcome.kind != EngineStatus::Failed))
        return true;
    const QDateTime at = now();
    return m_store.update(
        [&](RestTable& table) {
            const auto found = table.constFind(outcome.plugin);
            const std::optional<EngineRest> before =
                found == table.cend() ? std::nullopt : std::optional<EngineRest>(*found);
            const std::optional<EngineRest> after = NextRest(before, outcome, m_settings, at);
            if (after)
                table.insert(outcome.plugin, *after);
            else
                table.remove(outcome.plugin);
        },
        at, errorText);
}

bool EngineRests::resume(const QString& plugin, bool* rested, QString* errorText) const
{
    const QDateTime at = now();
    bool wasResting = false;
    const bool written = m_store.update(
        [&](RestTable& table) {
            const auto found = table.constFind(plugin);
            wasResting = found != table.cend() && found->restingAt(at);
            table.remove(plugin);
        },
        at, errorText);
    if (rested)
        *rested = written && wasResting;
    return written;
}

QStringList EngineRests::resumeAll(QString* errorText) const
{
    const QDateTime at = now();
    QStringList resumed;
    const bool written = m_store.update(
        [&](RestTable& table) {
            for (auto rest = table.cbegin(); rest != table.cend(); ++rest) {
                if (rest->restingAt(at))
                    resumed.append(rest.key());
            }
            table.clear();
        },
        at, errorText);
    return written ? resumed : QStringList();
}

EngineStatus RestingStatus(const QString& plugin, const EngineRest& rest, const QDateTime& now)
{
    EngineStatus status;
    status.plugin = plugin;
    status.kind = EngineStatus::Resting;
    status.reason = DescribeRest(rest, now);
    status.address = rest.address;
    status.challenge = rest.series == EngineRest::Series::Challenge && rest.cause == u"CAPTCHA";
    return status;
}

} // namespace sokuri
