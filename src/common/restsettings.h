#pragma once

#include "common/appstate.h"

#include <QString>

namespace sokuri {

// How long an engine that refuses, challenges or keeps failing is left
// alone: the section "rest" of sokuri.ini. Every time is in seconds. A key
// that is absent (or no whole number) turns its kind of rest off; with no key
// at all no engine ever rests, as before these keys.
//
//   retryafter=1   obey the Retry-After of an HTTP 429 or 5xx answer
//   toomany=600    HTTP 429 without Retry-After: the first rest, doubling
//   challenge=3600 a CAPTCHA page or HTTP 403: the first rest, doubling
//   failure=60     the second connection failure, time-out or 5xx in a row
//                  (the first one rests nothing), doubling ...
//   failuremax=3600 ... up to this
//   longest=86400  no rest is longer (never more than a day, whatever it says)
struct RestSettings
{
    static constexpr int MaxRestSeconds = 24 * 3600;

    bool obeyRetryAfter = false;
    int tooManySeconds = 0;   // 0: no rest
    int challengeSeconds = 0; // 0: no rest
    int failureSeconds = 0;   // 0: no rest
    int failureMaxSeconds = 3600;
    int longestSeconds = MaxRestSeconds;

    // Any kind of rest is on.
    bool enabled() const
    {
        return obeyRetryAfter || tooManySeconds > 0 || challengeSeconds > 0 || failureSeconds > 0;
    }

    friend bool operator==(const RestSettings&, const RestSettings&) = default;
};

// Reads the section "rest" of paths.IniPath; times beyond a day are held at
// a day, negative ones count as absent.
RestSettings LoadRestSettings(const AppPaths& paths);

// The file that keeps the engines' rests of this application folder (per
// user for an installed program).
QString RestStatePath(const AppPaths& paths);

} // namespace sokuri
