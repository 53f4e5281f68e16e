#include "retrieval/enginerest.h"

#include "retrieval/retryafter.h"

#include <algorithm>

namespace sokuri {

namespace {

// first * 2^(count - 1), held at cap.
qint64 doubled(qint64 first, int count, qint64 cap)
{
    qint64 seconds = first;
    for (int i = 1; i < count && seconds < cap; ++i)
        seconds *= 2;
    return std::min(seconds, cap);
}

struct Refusal
{
    EngineRest::Series series;
    QString cause;
    std::optional<qint64> retryAfter;
};

// What kind of refusal the outcome is, if any.
std::optional<Refusal> refusalOf(const EngineStatus& outcome, bool obeyRetryAfter,
                                 const QDateTime& now)
{
    const int code = outcome.httpCode;
    const QString http = QStringLiteral("HTTP %1").arg(code);
    if (obeyRetryAfter && (code == 429 || (code >= 500 && code <= 599))) {
        if (const auto seconds = RetryAfterSeconds(outcome.retryAfter, now))
            return Refusal{EngineRest::Series::RetryAfter, http, seconds};
    }
    if (outcome.challenge)
        return Refusal{EngineRest::Series::Challenge, QStringLiteral("CAPTCHA"), {}};
    if (code == 403)
        return Refusal{EngineRest::Series::Challenge, http, {}};
    if (code == 429)
        return Refusal{EngineRest::Series::TooMany, http, {}};
    if (code >= 500 && code <= 599)
        return Refusal{EngineRest::Series::Failure, http, {}};
    if (outcome.connectionFailed)
        return Refusal{EngineRest::Series::Failure, outcome.reason.left(60), {}};
    return std::nullopt;
}

} // namespace

std::optional<EngineRest> NextRest(const std::optional<EngineRest>& before,
                                   const EngineStatus& outcome, const RestSettings& settings,
                                   const QDateTime& now)
{
    if (outcome.kind == EngineStatus::Done)
        return std::nullopt;
    if (outcome.kind != EngineStatus::Failed)
        return before;
    const std::optional<Refusal> refusal = refusalOf(outcome, settings.obeyRetryAfter, now);
    if (!refusal)
        return before;

    const qint64 longest = std::clamp(settings.longestSeconds, 1, RestSettings::MaxRestSeconds);
    qint64 seconds = 0;
    EngineRest rest;
    rest.series = refusal->series;
    rest.cause = refusal->cause;
    rest.address = outcome.address.left(2000);
    rest.count =
        before && before->series == rest.series ? std::min(before->count + 1, MaxRestCount) : 1;
    switch (rest.series) {
    case EngineRest::Series::RetryAfter:
        seconds = std::min(*refusal->retryAfter, longest);
        break;
    case EngineRest::Series::TooMany:
        if (settings.tooManySeconds <= 0)
            return before;
        seconds = doubled(settings.tooManySeconds, rest.count, longest);
        break;
    case EngineRest::Series::Challenge:
        if (settings.challengeSeconds <= 0)
            return before;
        seconds = doubled(settings.challengeSeconds, rest.count, longest);
        break;
    case EngineRest::Series::Failure:
        if (settings.failureSeconds <= 0)
            return before;
        // The first failure may be chance: it is counted, not rested.
        seconds = rest.count < 2 ? 0
                                 : doubled(settings.failureSeconds, rest.count - 1,
                                           std::min<qint64>(std::max(settings.failureMaxSeconds,
                                                                     settings.failureSeconds),
                                                            longest));
        break;
    }
    rest.until = now.toUTC().addSecs(seconds);
    return rest;
}

QString DescribeRest(const EngineRest& rest, const QDateTime& now)
{
    const qint64 left = std::max<qint64>(0, now.secsTo(rest.until));
    QString time;
    if (left < 60) {
        time = QStringLiteral("あと %1 秒").arg(left);
    } else {
        // Whole minutes, rounded up: "あと 1 分" until the very end.
        const qint64 minutes = (left + 59) / 60;
        if (minutes < 60)
            time = QStringLiteral("あと %1 分").arg(minutes);
        else if (minutes % 60 == 0)
            time = QStringLiteral("あと %1 時間").arg(minutes / 60);
        else
            time = QStringLiteral("あと %1 時間 %2 分").arg(minutes / 60).arg(minutes % 60);
    }
    return rest.cause + QStringLiteral(", ") + time;
}

QString SeriesName(EngineRest::Series series)
{
    switch (series) {
    case EngineRest::Series::RetryAfter:
        return QStringLiteral("retry-after");
    case EngineRest::Series::TooMany:
        return QStringLiteral("too-many");
    case EngineRest::Series::Challenge:
        return QStringLiteral("challenge");
    case EngineRest::Series::Failure:
        return QStringLiteral("failure");
    }
    return {};
}

std::optional<EngineRest::Series> SeriesFromName(const QString& name)
{
    for (const EngineRest::Series series :
         {EngineRest::Series::RetryAfter, EngineRest::Series::TooMany,
          EngineRest::Series::Challenge, EngineRest::Series::Failure}) {
        if (SeriesName(series) == name)
            return series;
    }
    return std::nullopt;
}

} // namespace sokuri
