#include "retrieval/retryafter.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace sokuri {

namespace {

constexpr std::array<const char*, 12> Months = {"jan", "feb", "mar", "apr", "may", "jun",
                                                "jul", "aug", "sep", "oct", "nov", "dec"};

int monthOf(const QString& name)
{
    const QByteArray lower = name.toLatin1().toLower();
    for (int i = 0; i < int(Months.size()); ++i) {
        if (lower == Months[std::size_t(i)])
            return i + 1;
    }
    return 0;
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second)
{
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

} // namespace

QDateTime ParseHttpDate(const QString& text)
{
    // Sun, 06 Nov 1994 08:49:37 GMT
    static const QRegularExpression fixdate(QStringLiteral(
        R"(^[A-Za-z]{3}, ([0-9]{2}) ([A-Za-z]{3}) ([0-9]{4}) ([0-9]{2}):([0-9]{2}):([0-9]{2}) GMT$)"));
    // Sunday, 06-Nov-94 08:49:37 GMT
    static const QRegularExpression rfc850(QStringLiteral(
        R"(^[A-Za-z]{6,9}, ([0-9]{2})-([A-Za-z]{3})-([0-9]{2}) ([0-9]{2}):([0-9]{2}):([0-9]{2}) GMT$)"));
    // Sun Nov  6 08:49:37 1994
    static const QRegularExpression asctime(QStringLiteral(
        R"(^[A-Za-z]{3} ([A-Za-z]{3}) ([ 0-9][0-9]) ([0-9]{2}):([0-9]{2}):([0-9]{2}) ([0-9]{4})$)"));

    const auto number = [](const QRegularExpressionMatch& match, int group) {
        return match.captured(group).trimmed().toInt();
    };
    if (const auto m = fixdate.match(text); m.hasMatch())
        return utc(number(m, 3), monthOf(m.captured(2)), number(m, 1), number(m, 4), number(m, 5),
                   number(m, 6));
    if (const auto m = rfc850.match(text); m.hasMatch()) {
        // Two-digit years: the nearer century, as the HTTP rules ask.
        const int year = number(m, 3) + (number(m, 3) < 70 ? 2000 : 1900);
        return utc(year, monthOf(m.captured(2)), number(m, 1), number(m, 4), number(m, 5),
                   number(m, 6));
    }
    if (const auto m = asctime.match(text); m.hasMatch())
        return utc(number(m, 6), monthOf(m.captured(1)), number(m, 2), number(m, 3), number(m, 4),
                   number(m, 5));
    return {};
}

std::optional<qint64> RetryAfterSeconds(const QStringList& values, const QDateTime& now)
{
    static const QRegularExpression digits(QStringLiteral(R"(^[0-9]+$)"));
    // More than this many digits is "very long" all the same.
    constexpr qsizetype MaxDigits = 12;
    std::optional<qint64> longest;
    for (const QString& written : values) {
        const QString value = written.trimmed();
        std::optional<qint64> seconds;
        if (digits.match(value).hasMatch()) {
            seconds = value.size() > MaxDigits ? qint64(999999999999) : value.toLongLong();
        } else if (const QDateTime date = ParseHttpDate(value); date.isValid()) {
            const qint64 ahead = now.secsTo(date);
            if (ahead > 0)
                seconds = ahead;
        }
        if (seconds && (!longest || *seconds > *longest))
            longest = seconds;
    }
    return longest;
}

} // namespace sokuri
