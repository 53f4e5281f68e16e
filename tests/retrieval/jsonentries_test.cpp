// The JSON reader on whole answers: what the values at the paths become, and
// the documents it refuses, with the reasons a person reads.

#include "retrieval/jsonentries.h"
#include "retrieval/textsearch.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

struct JsonCase
{
    const char* id;
    QByteArray body;
    QStringList rows; // each "title|address|text"
    QString reason;   // part of the reason; empty: read
    QString title = u"t"_s;
    QString url = u"u"_s;
    QString content = u"c"_s;
};

void PrintTo(const JsonCase& json, std::ostream* out)
{
    *out << json.id;
}

QByteArray nested(int depth)
{
    return "{\"r\":" + QByteArray(depth - 1, '[') + QByteArray(depth - 1, ']') + "}";
}

const JsonCase Cases[] = {
    {"NumbersAsWritten",
     R"({"r":[{"t":12,"u":"/a","c":2.5},{"t":-0,"u":"/b","c":1e20},{"t":true,"c":12345678901234567}]})",
     {u"12|http://h.example/a|2.5"_s, u"0|http://h.example/b|1e+20"_s,
      u"true||1.23456789012346e+16"_s},
     {}},
    {"FirstElementOfAnArray",
     R"({"r":[{"t":["a","b"],"c":[]},{"t":[["x"]]},{"t":[null]}]})",
     {u"a||"_s},
     {}},
    {"LastOfTwiceWrittenKeys",
     R"({"r":[{"t":"old","t":"new"}],"r":[{"t":"last"}]})",
     {u"last||"_s},
     {}},
    {"PathsWithIndices",
     R"({"r":[{"t":{"0":"key"},"c":{"x":[{"y":"deep"}]}}]})",
     {u"key||deep"_s},
     {},
     u"t/0"_s,
     u"u"_s,
     u"c/x/0/y"_s},
    {"IndexBeyondTheArray",
     R"({"r":[{"t":"a","c":[1]}]})",
     {u"a||"_s},
     {},
     u"t"_s,
     u"u"_s,
     u"c/1"_s},
    {"ByteOrderMark", "\xEF\xBB\xBF{\"r\":[{\"t\":\"a\"}]}", {u"a||"_s}, {}},
    {"EscapesAndMarkup",
     R"({"r":[{"t":"\u4eac\u90fd &lt;<b>\"x\"</b>&gt;"}]})",
     {u"京都 <\"x\">||"_s},
     {}},
    {"DeepestDocument", nested(1024), {}, {}},
    {"TooDeep", nested(1025), {}, u"JSON として読めません (too deeply nested document"_s},
    {"TopLevelText", R"("r")", {}, u"JSON として読めません (illegal value、1 バイト目)"_s},
    {"Empty", "", {}, u"JSON として読めません"_s},
    {"Unfinished", R"({"r":[{"t":"a"})", {}, u"JSON として読めません"_s},
    {"GarbageAfterTheDocument", R"({"r":[]} x)", {}, u"garbage at the end of the document"_s},
    {"BadUtf8", "{\"r\":[{\"t\":\"\xFF\"}]}", {}, u"JSON として読めません"_s},
    {"ResultsNoArray", R"({"r":{"t":"a"}})", {}, u"は結果の配列ではありません"_s},
};

class JsonAnswers : public ::testing::TestWithParam<JsonCase>
{};

} // namespace

TEST_P(JsonAnswers, GiveTheValuesAtThePathsOrAReason)
{
    const JsonCase& json = GetParam();
    JsonResultKeys keys;
    keys.enabled = true;
    keys.results = u"r"_s;
    keys.title = json.title;
    keys.url = json.url;
    keys.content = json.content;
    QList<FeedEntry> entries;
    QString reason;
    const bool read =
        ReadJsonEntries(json.body, u"utf-8", keys, u"http://h.example/", entries, reason);
    EXPECT_EQ(read, json.reason.isEmpty()) << reason.toStdString();
    EXPECT_TRUE(reason.contains(json.reason)) << reason.toStdString();
    QStringList rows;
    for (const FeedEntry& entry : entries)
        rows.append(entry.title + u'|' + entry.address + u'|' + entry.text);
    EXPECT_EQ(rows, json.rows);
}

INSTANTIATE_TEST_SUITE_P(Documents, JsonAnswers, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.id); });

// The folding of value texts sees white space exactly as QString::simplified.
TEST(JsonText, WhiteSpaceIsQtsWhiteSpace)
{
    for (unsigned u = 0; u <= 0xFFFF; ++u)
        ASSERT_EQ(isWhiteSpace(QChar(char16_t(u))), QChar(char16_t(u)).isSpace()) << u;
    for (QString text : {u""_s, u"  "_s, u" a\t\n b \u3000"_s, u"\u00A0京都\u2028\u2029寺 "_s,
                         u"a  b"_s, u"\u3000\u3000"_s}) {
        const QString simplified = text.simplified();
        foldWhiteSpace(text);
        EXPECT_EQ(text, simplified);
    }
}

// The folding's eight-character steps: every UTF-16 unit inside runs of
// kanji and ASCII long enough for them, at the start, inside and at the end
// of a step, folds as QString::simplified does.
TEST(JsonText, LongTextsFoldAsQtDoes)
{
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        const QChar c{char16_t(u)};
        for (const qsizetype at : {0, 3, 7, 8, 12, 15, 16, 20, 29}) {
            // 30 characters: two steps without white space, then one after a blank.
            QString text = u"京都abc寺院東山区fgh清水寺ijk  mnの寺院xyz東"_s;
            text[at] = c;
            const QString simplified = text.simplified();
            foldWhiteSpace(text);
            ASSERT_EQ(text, simplified) << u << " at " << at;
        }
    }
}
