#pragma once

#include <QDateTime>
#include <QStringList>

#include <optional>

namespace sokuri {

// The seconds that the Retry-After header lines of an answer ask for, counted
// from now: a whole number of seconds, or an HTTP date (IMF-fixdate, the
// obsolete RFC 850 form or asctime's). A negative or unreadable value, or a
// date that is not after now, is no usable value; of several usable ones (a
// header sent more than once) the longest counts. Nothing when no value is
// usable. Very long waits come back as they are; the caller holds them.
std::optional<qint64> RetryAfterSeconds(const QStringList& values, const QDateTime& now);

// One HTTP date as a UTC time; invalid when the text is none.
QDateTime ParseHttpDate(const QString& text);

} // namespace sokuri
