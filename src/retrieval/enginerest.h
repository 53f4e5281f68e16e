#pragma once

#include "common/restsettings.h"
#include "retrieval/enginestatus.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace sokuri {

// One engine's rest: why, until when, and how many refusals of the same kind
// came in a row (the doubling goes by that count). A rest that has run out
// is still kept, so the next refusal of its kind rests twice as long; an
// answer with rows ends it.
struct EngineRest
{
    enum class Series {
        RetryAfter, // the engine said how long (HTTP 429 or 5xx with Retry-After)
        TooMany,    // HTTP 429 without Retry-After
        Challenge,  // a CAPTCHA page or HTTP 403
        Failure,    // connection failure, time-out or 5xx without Retry-After
    };

    Series series = Series::Failure;
    QString cause;   // as the status shows it: "HTTP 429", "CAPTCHA", "時間切れ", ...
    QDateTime until; // UTC; the engine may be asked again from then on
    int count = 1;   // refusals of this series in a row, at least 1
    QString address; // the address that was refused (a CAPTCHA page opens it)

    bool restingAt(const QDateTime& now) const { return until.isValid() && until > now; }

    friend bool operator==(const EngineRest&, const EngineRest&) = default;
};

// The most refusals in a row that are counted (the doubling is long capped
// by then).
constexpr int MaxRestCount = 64;

// The rest after an engine's outcome in a run. before is the engine's rest
// so far (nothing when none is kept). Nothing comes back when the outcome
// ends the rest (an answer that is no refusal and no failure); before comes
// back unchanged when the outcome has no bearing on rests (a page without
// its list, HTTP 404, a rest of a kind the settings turn off). No rest is
// longer than the settings' longest and never longer than a day.
std::optional<EngineRest> NextRest(const std::optional<EngineRest>& before,
                                   const EngineStatus& outcome, const RestSettings& settings,
                                   const QDateTime& now);

// The cause and the time left, as the status shows them in brackets:
// "CAPTCHA, あと 52 分", "HTTP 429, あと 30 秒", "HTTP 403, あと 2 時間 5 分".
QString DescribeRest(const EngineRest& rest, const QDateTime& now);

// The series' name in the state file, and back (nothing for an unknown one).
QString SeriesName(EngineRest::Series series);
std::optional<EngineRest::Series> SeriesFromName(const QString& name);

} // namespace sokuri
