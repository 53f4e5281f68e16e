// The rest of an engine as a value: Retry-After, the decisions the runs over
// sockets do not reach, and the state file read forgivingly.

#include "retrieval/enginerest.h"
#include "retrieval/reststore.h"
#include "retrieval/retryafter.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

const QDateTime Now(QDate(2026, 12, 9), QTime(6, 0), Qt::UTC);

} // namespace

TEST(RetryAfter, SecondsAndTheThreeDateFormsCountAndBadValuesDoNot)
{
    const struct
    {
        QStringList values;
        qint64 seconds; // -1: no usable value
    } cases[] = {
        {{u" 0 "_s}, 0},
        {{u"Wed, 09 Dec 2026 06:10:00 GMT"_s}, 600},
        {{u"Wednesday, 09-Dec-26 07:00:00 GMT"_s}, 3600},
        {{u"Wed Dec  9 06:00:30 2026"_s}, 30},
        {{u"12.5"_s}, -1},
        {{u"Wed, 09 Dec 2026 06:00:00 GMT"_s}, -1}, // not after now
        {{u"Wed, 32 Dec 2026 06:10:00 GMT"_s}, -1},
        {{u"Wed, 09 Dec 2026 06:10:00 +0900"_s}, -1},
        {{u"99999999999999999999999"_s}, 999999999999},
        {{u"bad"_s, u"-1"_s}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RetryAfterSeconds(c.values, Now).value_or(-1), c.seconds)
            << c.values.join(u'|').toStdString();
}

TEST(RestDecision, DoublingIsCappedKindsDoubleApartAndOffKeysRestNothing)
{
    RestSettings on;
    on.tooManySeconds = 600;
    on.challengeSeconds = 3600;
    const auto failed = [](int code) {
        EngineStatus status;
        status.kind = EngineStatus::Failed;
        status.httpCode = code;
        return status;
    };
    const struct
    {
        QList<int> codes; // answers in a row
        RestSettings settings;
        qint64 seconds; // the last rest, -1 none
    } cases[] = {
        {QList<int>(20, 429), on, 86400},
        {{429, 429, 429, 403}, on, 3600},
        {{403, 429}, on, 600},
        {{403, 0}, on, 3600}, // a page without its list leaves the rest
        {{403}, RestSettings(), -1},
    };
    for (const auto& c : cases) {
        std::optional<EngineRest> rest;
        for (const int code : c.codes)
            rest = NextRest(rest, failed(code), c.settings, Now);
        EXPECT_EQ(rest ? Now.secsTo(rest->until) : -1, c.seconds) << c.codes.size();
    }
}

TEST(RestStateFile, BadFilesReadAsNoRestAndFarTimesAreHeldAtADay)
{
    EngineRest rest;
    rest.series = EngineRest::Series::Challenge;
    rest.cause = u"CAPTCHA"_s;
    rest.until = Now.addSecs(3600);
    rest.count = 2;
    rest.address = u"http://127.0.0.1:1/s?q=%8B%9E"_s;
    const RestTable table{{u"alpha"_s, rest}};
    const QByteArray good = RestStore::encode(table);
    EXPECT_EQ(RestStore::decode(good, Now), table);

    const auto changed = [&good](const char* from, const char* to) {
        return QByteArray(good).replace(from, to);
    };
    const struct
    {
        QByteArray bytes;
        qint64 seconds; // alpha's rest from Now, -1: none read
    } cases[] = {
        {{}, -1},
        {good.left(good.size() / 2), -1},
        {changed("\"version\": 1", "\"version\": 2"), -1},
        {changed("challenge", "forever"), -1},
        {changed("2026-12-09T07:00:00Z", "never"), -1},
        {changed("2026-12-09T07:00:00Z", "9999-12-31T23:59:59Z"), 86400},
        {changed("\"count\": 2", "\"count\": -7"), 3600},
        {"[1, 2, 3]", -1},
    };
    for (const auto& c : cases) {
        const RestTable read = RestStore::decode(c.bytes, Now);
        const auto alpha = read.constFind(u"alpha"_s);
        EXPECT_EQ(alpha == read.cend() ? -1 : Now.secsTo(alpha->until), c.seconds)
            << c.bytes.toStdString();
        if (alpha != read.cend()) {
            EXPECT_GE(alpha->count, 1);
        }
    }
}
