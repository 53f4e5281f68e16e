#pragma once

#include <QDateTime>

#include <functional>

namespace sokuri {

// The wall clock, passed to what keeps times across runs, so a test can move
// time without waiting. An empty clock means the system's (in UTC).
using Clock = std::function<QDateTime()>;

inline QDateTime ClockNow(const Clock& clock)
{
    return clock ? clock().toUTC() : QDateTime::currentDateTimeUtc();
}

} // namespace sokuri
