// The rest of an engine as a value: the Retry-After values, the state file
// read forgivingly, and the decision after each outcome.

#include "retrieval/enginerests.h"
#include "retrieval/retryafter.h"
#include "retrieval/reststore.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
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
        {{u"120"_s}, 120},
        {{u" 0 "_s}, 0},
        {{u"Wed, 09 Dec 2026 06:10:00 GMT"_s}, 600},
        {{u"Wednesday, 09-Dec-26 07:00:00 GMT"_s}, 3600},
        {{u"Wed Dec  9 06:00:30 2026"_s}, 30},
        {{u"-5"_s}, -1},
        {{u"12.5"_s}, -1},
        {{u"soon"_s}, -1},
        {{QString()}, -1},
        {{u"Wed, 09 Dec 2026 05:59:00 GMT"_s}, -1}, // past
        {{u"Wed, 09 Dec 2026 06:00:00 GMT"_s}, -1}, // now
        {{u"Wed, 32 Dec 2026 06:10:00 GMT"_s}, -1},
        {{u"Wed, 09 Dec 2026 06:10:00 +0900"_s}, -1},
        {{u"99999999999999999999999"_s}, 999999999999},
        {{u"60"_s, u"300"_s, u"soon"_s}, 300}, // repeated: the longest usable one
        {{u"bad"_s, u"-1"_s}, -1},
        {{}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RetryAfterSeconds(c.values, Now).value_or(-1), c.seconds)
            << c.values.join(u'|').toStdString();
}

TEST(RestDecision, CausesDoublingCapsAndAnswers)
{
    RestSettings on;
    on.obeyRetryAfter = true;
    on.tooManySeconds = 600;
    on.challengeSeconds = 3600;
    on.failureSeconds = 60;
    on.failureMaxSeconds = 3600;
    RestSettings off;

    const auto failed = [](int code, QStringList retryAfter = {}, bool challenge = false,
                           bool connection = false) {
        EngineStatus status;
        status.plugin = u"alpha"_s;
        status.kind = EngineStatus::Failed;
        status.httpCode = code;
        status.retryAfter = std::move(retryAfter);
        status.challenge = challenge;
        status.connectionFailed = connection;
        status.reason = u"時間切れ"_s;
        return status;
    };
    EngineStatus done;
    done.kind = EngineStatus::Done;
    done.rows = 3;

    const struct
    {
        EngineStatus outcome;
        int times;          // the same outcome this many times in a row
        const RestSettings* settings;
        qint64 seconds;     // the last rest, -1 none kept
        QString cause;
    } cases[] = {
        {failed(429), 1, &on, 600, u"HTTP 429"_s},
        {failed(429), 3, &on, 2400, u"HTTP 429"_s},
        {failed(429), 20, &on, 86400, u"HTTP 429"_s},
        {failed(429, {u"30"_s}), 4, &on, 30, u"HTTP 429"_s},
        {failed(503, {u"999999"_s}), 1, &on, 86400, u"HTTP 503"_s},
        {failed(403), 2, &on, 7200, u"HTTP 403"_s},
        {failed(200, {}, true), 6, &on, 86400, u"CAPTCHA"_s},
        {failed(429, {}, true), 1, &on, 3600, u"CAPTCHA"_s},
        {failed(0, {}, false, true), 1, &on, 0, u"時間切れ"_s},
        {failed(0, {}, false, true), 2, &on, 60, u"時間切れ"_s},
        {failed(502), 5, &on, 480, u"HTTP 502"_s},
        {failed(500), 40, &on, 3600, u"HTTP 500"_s},
        {failed(404), 3, &on, -1, {}},
        {failed(429, {u"30"_s}), 1, &off, -1, {}},
        {failed(403), 1, &off, -1, {}},
        {done, 1, &on, -1, {}},
    };
    for (const auto& c : cases) {
        std::optional<EngineRest> rest;
        for (int i = 0; i < c.times; ++i)
            rest = NextRest(rest, c.outcome, *c.settings, Now);
        EXPECT_EQ(rest ? Now.secsTo(rest->until) : -1, c.seconds) << c.cause.toStdString();
        if (rest) {
            EXPECT_EQ(rest->cause, c.cause);
        }
    }

    // Another kind of refusal starts its own doubling; rows end every rest.
    std::optional<EngineRest> rest;
    for (int i = 0; i < 3; ++i)
        rest = NextRest(rest, failed(429), on, Now);
    rest = NextRest(rest, failed(403), on, Now);
    EXPECT_EQ(Now.secsTo(rest->until), 3600);
    EXPECT_FALSE(NextRest(rest, done, on, Now));
    // A page without its list says nothing about rests.
    EngineStatus noList = failed(0);
    noList.connectionFailed = false;
    EXPECT_EQ(NextRest(rest, noList, on, Now), rest);
}

TEST(RestDescription, TimeLeftInSecondsMinutesAndHours)
{
    EngineRest rest;
    rest.cause = u"CAPTCHA"_s;
    const struct
    {
        qint64 left;
        QString shown;
    } cases[] = {
        {30, u"CAPTCHA, あと 30 秒"_s},      {60, u"CAPTCHA, あと 1 分"_s},
        {3120, u"CAPTCHA, あと 52 分"_s},    {3119, u"CAPTCHA, あと 52 分"_s},
        {3600, u"CAPTCHA, あと 1 時間"_s},   {7500, u"CAPTCHA, あと 2 時間 5 分"_s},
        {-10, u"CAPTCHA, あと 0 秒"_s},
    };
    for (const auto& c : cases) {
        rest.until = Now.addSecs(c.left);
        EXPECT_EQ(DescribeRest(rest, Now), c.shown) << c.left;
    }
}

TEST(RestStateFile, BadFilesReadAsNoRestAndFarTimesAreHeldAtADay)
{
    RestTable table;
    EngineRest rest;
    rest.series = EngineRest::Series::Challenge;
    rest.cause = u"CAPTCHA"_s;
    rest.until = Now.addSecs(3600);
    rest.count = 2;
    rest.address = u"http://127.0.0.1:1/s?q=%8B%9E"_s;
    table.insert(u"alpha"_s, rest);
    const QByteArray good = RestStore::encode(table);
    EXPECT_EQ(RestStore::decode(good, Now), table);

    const auto withUntil = [&good](const QByteArray& until) {
        QByteArray bytes = good;
        return bytes.replace("2026-12-09T07:00:00Z", until);
    };
    const struct
    {
        QByteArray bytes;
        qint64 seconds; // alpha's rest from Now, -1: none read
    } cases[] = {
        {good, 3600},
        {{}, -1},
        {good.left(good.size() / 2), -1},
        {QByteArray(good).replace("\"version\": 1", "\"version\": 2"), -1},
        {QByteArray(good).replace("\"version\": 1", "\"version\": \"1\""), -1},
        {QByteArray(good).replace("challenge", "forever"), -1},
        {withUntil("never"), -1},
        {withUntil("9999-12-31T23:59:59Z"), 86400},
        {withUntil("2026-12-09T15:00:00+09:00"), 0},
        {QByteArray(good).replace("\"count\": 2", "\"count\": -7"), 3600},
        {"[1, 2, 3]", -1},
        {"\xef\xbb\xbf\x00\xff garbage", -1},
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

TEST(RestStateFile, RecordsSurviveANewReaderAndResumeEndsThem)
{
    TempAppDir dir;
    const AppPaths paths = ResolveAppPaths(dir.path());
    writeFile(paths.IniPath, "[rest]\r\nchallenge=3600\r\n");
    QDateTime now = Now;
    const Clock clock = [&now] { return now; };
    EngineStatus refused;
    refused.plugin = u"alpha"_s;
    refused.kind = EngineStatus::Failed;
    refused.httpCode = 403;
    ASSERT_TRUE(EngineRests(paths, clock).record(refused));
    refused.plugin = u"gone"_s; // a plugin that no longer exists is simply never asked about
    ASSERT_TRUE(EngineRests(paths, clock).record(refused));

    const EngineRests later(paths, clock);
    EXPECT_EQ(later.resting().keys(), QStringList({u"alpha"_s, u"gone"_s}));
    now = now.addSecs(3601);
    EXPECT_TRUE(later.resting().isEmpty());
    EXPECT_FALSE(later.restOf(u"alpha"_s));
    now = Now;
    bool rested = false;
    EXPECT_TRUE(later.resume(u"alpha"_s, &rested));
    EXPECT_TRUE(rested);
    EXPECT_EQ(later.resumeAll(), QStringList({u"gone"_s}));
    EXPECT_TRUE(later.resting().isEmpty());

    // A state file that is no state file is replaced by a good one.
    writeFile(RestStatePath(paths), "{\"version\": 1, \"engines\": {\"alpha\": ");
    EXPECT_TRUE(later.resting().isEmpty());
    refused.plugin = u"alpha"_s;
    ASSERT_TRUE(later.record(refused));
    EXPECT_EQ(later.resting().keys(), QStringList({u"alpha"_s}));
}
