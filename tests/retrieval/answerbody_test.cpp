// Answers that are not lines of HTML: compressed answers, JSON documents read
// whole, and the last line that the server does not end; bad ones of each
// end their engine with a reason, within bounded memory.

#include "retrieval/searchconnection.h"
#include "support/gzipped.h"
#include "support/qtprinters.h"
#include "testengine/testengine.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <ostream>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;

const QByteArray Feed = "<rss><channel><item><title>清水寺</title><link>http://a.example/1</link>"
                        "</item><item><title>鹿苑寺</title><link>http://b.example/2</link></item>"
                        "</channel></rss>";
const QByteArray Json = R"({"query":{"search":[{"title":"清水寺","pageid":1},)"
                        R"({"title":"<b>鹿苑寺</b> &amp; 庭","pageid":2},{"pageid":3}]}})";

struct Answer
{
    const char* id;
    bool json;           // the plugin reads JSON, else feed entries
    QByteArray encoding; // the Content-Encoding line's value; empty: none
    QByteArray body;     // as sent
    QStringList titles;  // the rows
    QString reason;      // part of the failure's reason; empty: the engine is done
    QString resultsPath = u"query/search"_s;
    QByteArray status = "200 OK"; // the status line's code and text
};

void PrintTo(const Answer& answer, std::ostream* out)
{
    *out << answer.id;
}

QList<Answer> answers()
{
    const QStringList both = {u"清水寺"_s, u"鹿苑寺"_s};
    const QStringList json = {u"清水寺"_s, u"鹿苑寺 & 庭"_s};
    return {
        {"OneLineFeedWithoutLineEnd", false, {}, Feed, both, {}},
        {"GzipFeed", false, "gzip", Compressed(Feed, 15 + 16), both, {}},
        {"ZlibDeflateFeed", false, "deflate", Compressed(Feed, 15), both, {}},
        {"RawDeflateFeed", false, "Deflate", Compressed(Feed, -15), both, {}},
        {"Json", true, {}, Json, json, {}},
        {"GzipJson", true, "x-gzip", Compressed(Json, 15 + 16), json, {}},
        {"TopLevelArray", true, {}, "[" + Json + "]", json, {}, u"0/query/search"_s},
        {"BadJson",
         true,
         {},
         R"({"query":{"search":[{"title":"a"},]})",
         {},
         u"JSON として読めません"_s},
        {"WrongPath", true, {}, Json, {}, u"結果の場所「query/hits」"_s, u"query/hits"_s},
        {"PathToNoArray", true, {}, Json, {}, u"配列ではありません"_s, u"query"_s},
        {"NineMiBOfJson", true, {}, "[\"" + QByteArray(9 << 20, 'x') + "\"]", {}, u"8 MiB"_s},
        {"DeeplyNested", true, {}, QByteArray(200000, '['), {}, u"JSON として読めません"_s},
        {"GzipBomb",
         false,
         "gzip",
         Compressed(QByteArray(20 << 20, ' '), 15 + 16),
         {},
         u"16 MiB"_s},
        {"GzipBombAsJson",
         true,
         "gzip",
         Compressed(QByteArray(20 << 20, ' '), 15 + 16),
         {},
         u"MiB"_s},
        {"BrokenGzip",
         false,
         "gzip",
         QByteArray::fromHex("1f8b08000000000000030700") + "garbage",
         {},
         u"壊れています"_s},
        {"UnknownCompression", false, "br", Feed, {}, u"対応していません: br"_s},
        {"RefusedJson",
         true,
         {},
         R"({"message":"API rate limit exceeded"})",
         {},
         u"HTTP 403 アクセス拒否"_s,
         u"query/search"_s,
         "403 Forbidden"},
    };
}

// A feed plugin on the local engine at port (ListEnd only where given).
PluginSlot feedSlot(quint16 port, const QString& listEnd = {})
{
    PluginSlot slot;
    slot.Name = u"e"_s;
    slot.Host = u"127.0.0.1"_s;
    slot.Port = port;
    slot.Path = u"/s"_s;
    slot.Method = u"GET"_s;
    slot.ResultCharset = u"utf-8"_s;
    slot.BaseUrl = u"http://127.0.0.1/"_s;
    slot.Feed = true;
    slot.ListStart = u"<channel>"_s;
    slot.ListEnd = listEnd;
    slot.ItemStart = u"<item>"_s;
    slot.ItemEnd = u"</item>"_s;
    return slot;
}

class Answers : public ::testing::TestWithParam<Answer>
{};

} // namespace

TEST_P(Answers, GiveTheirRowsOrEndTheEngineWithAReason)
{
    const Answer& answer = GetParam();
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage page;
    page.header = "HTTP/1.0 " + answer.status + "\r\nContent-Type: application/octet-stream\r\n";
    if (!answer.encoding.isEmpty())
        page.header += "Content-Encoding: " + answer.encoding + "\r\n";
    page.header += "\r\n";
    page.body = answer.body;
    page.pieces = {7000};
    engine.setPage(u"*"_s, page);

    PluginSlot slot = feedSlot(engine.port(), u"</channel>"_s);
    slot.Feed = !answer.json;
    slot.Json = {answer.json, answer.resultsPath,         u"title"_s, u"pageid"_s,
                 {},          u"http://w.example/?id="_s, {}};

    SearchConnection connection;
    QStringList titles;
    QObject::connect(&connection, &SearchConnection::rowsFound, &connection,
                     [&titles](const QList<ResultRow>& rows) {
                         for (const ResultRow& row : rows)
                             titles.append(row.title);
                     });
    QSignalSpy closed(&connection, &SearchConnection::stateChanged);
    connection.connectTo(slot);
    while (connection.state() != SearchConnection::Closed &&
           connection.state() != SearchConnection::Error)
        ASSERT_TRUE(closed.wait(HangGuardMs));

    EXPECT_EQ(titles, answer.titles);
    const EngineStatus& status = connection.status();
    if (answer.reason.isEmpty()) {
        EXPECT_EQ(status.kind, EngineStatus::Done) << status.reason.toStdString();
    } else {
        EXPECT_EQ(status.kind, EngineStatus::Failed);
        EXPECT_TRUE(status.reason.contains(answer.reason)) << status.reason.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, Answers, ::testing::ValuesIn(answers()),
                         [](const auto& info) { return std::string(info.param.id); });

// Stop (and the reset before a new request) drops the line that is still
// carried: only a server that closes has it read.
TEST(AnswerBody, StopDropsTheCarriedLastLine)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    EnginePage page;
    page.body = "<channel><item><title>A</title></item>\r\n<item><title>B</title></item>";
    page.neverClose = true;
    engine.setPage(u"*"_s, page);
    const PluginSlot slot = feedSlot(engine.port());

    SearchConnection connection;
    QSignalSpy found(&connection, &SearchConnection::rowsFound);
    connection.connectTo(slot);
    ASSERT_TRUE(found.wait(HangGuardMs));
    // The socket is let go of at once: nothing after this can add a row.
    connection.close();
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0][0].value<QList<ResultRow>>().size(), 1);
}
