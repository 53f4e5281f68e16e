#include "retrieval/replyreader.h"

#include "encoding/codepage932.h"
#include "retrieval/searchconnection.h"
#include "support/qtprinters.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

// A slot whose every line is one entry, so the rows show exactly the lines
// that reached the extraction (with their line break).
PluginSlot lineSlot(const QString& charset)
{
    PluginSlot slot;
    slot.Name = u"lines"_s;
    slot.ResultCharset = charset;
    slot.ListEnd = u"</never>"_s;
    slot.ItemEnd = u"\r\n"_s;
    slot.BaseUrl = u"http://h/"_s;
    return slot;
}

QStringList linesOf(const QString& charset, const QList<QByteArray>& arrivals)
{
    PluginSlot slot = lineSlot(charset);
    SlotState state;
    QList<ResultRow> rows;
    for (const QByteArray& bytes : arrivals)
        ReadReplyBytes(slot, state, bytes, rows);
    QStringList lines;
    for (const ResultRow& row : rows)
        lines.append(row.html);
    return lines;
}

QByteArray encodeWithQt(const QString& text, const char* charset)
{
    QStringEncoder encoder(charset);
    EXPECT_TRUE(encoder.isValid()) << charset;
    return encoder.encode(text);
}

} // namespace

TEST(ReplyLines, EmptyLinesAreDroppedAndEveryLineEndsInCrLf)
{
    EXPECT_EQ(linesOf(u"x-sjis"_s, {"abc\r\n\r\ndef\r\n"}),
              QStringList({u"abc\r\n"_s, u"def\r\n"_s}));
    EXPECT_EQ(linesOf(u"x-sjis"_s, {"lf\ncr\rcrlf\r\n\n\n\r\r"}),
              QStringList({u"lf\r\n"_s, u"cr\r\n"_s, u"crlf\r\n"_s}));
}

TEST(ReplyLines, LinesJoinAcrossArrivals)
{
    EXPECT_EQ(linesOf(u"x-sjis"_s, {"ab", "c\r", "\nd", "ef\n"}),
              QStringList({u"abc\r\n"_s, u"def\r\n"_s}));
    // An arrival ending at a line end leaves nothing in front of the next line.
    EXPECT_EQ(linesOf(u"x-sjis"_s, {"one\r\n", "two\r\n"}),
              QStringList({u"one\r\n"_s, u"two\r\n"_s}));
}

TEST(ReplyLines, AnUnendedLastLineIsNeverProcessed)
{
    EXPECT_EQ(linesOf(u"x-sjis"_s, {"done\r\npartial"}), QStringList({u"done\r\n"_s}));
}

TEST(ReplyLines, OverlongLinesAreCut)
{
    // An entry at the very end of a line of the longest length is found;
    // one byte more and the line is cut before the entry ends.
    const QByteArray entry = "<ol><li>T</li>";
    for (const qsizetype extra : {0, 1}) {
        PluginSlot slot = lineSlot(u"x-sjis"_s);
        slot.ListStart = u"<ol>"_s;
        slot.ListEnd = u"</ol>"_s;
        slot.ItemStart = u"<li>"_s;
        slot.ItemEnd = u"</li>"_s;
        const QByteArray line = QByteArray(MaxReplyLineBytes - entry.size() + extra, 'a') + entry;
        SlotState state;
        QList<ResultRow> rows;
        const qsizetype half = line.size() / 2;
        for (const QByteArray& bytes : {line.left(half), line.mid(half), QByteArray("\r\n")})
            ReadReplyBytes(slot, state, bytes, rows);
        EXPECT_EQ(rows.size(), extra == 0 ? 1 : 0);
        EXPECT_LE(state.CarryBytes.capacity(), 2 * MaxReplyLineBytes);
        // The same line and its line end in one arrival.
        ReadReplyBytes(slot, state, QByteArray(line + "\r\n"), rows);
        EXPECT_EQ(rows.size(), extra == 0 ? 2 : 0);
    }
    EXPECT_EQ(linesOf(u"x-sjis"_s, {QByteArray(40000, 'a'), "\r\nnext\r\n"}).size(), 2);
}

TEST(ReplyLines, UnknownCharactersSetsGiveNothing)
{
    EXPECT_TRUE(linesOf(u"sjis"_s, {"abc\r\n"}).isEmpty());
    EXPECT_TRUE(linesOf(u""_s, {"abc\r\n"}).isEmpty());
}

class ReplyCharsets : public ::testing::TestWithParam<std::pair<const char*, const char*>>
{};

TEST_P(ReplyCharsets, JapaneseLinesDecodeWholeOrInOneBytePieces)
{
    const auto [pluginCharset, qtCharset] = GetParam();
    const QString page = u"京都の旅館 ﾎﾃﾙ案内\r\n美しい庭 ～ 宿\r\n"_s;
    QByteArray bytes = encodeWithQt(page, qtCharset);
    QStringList expected = {u"京都の旅館 ﾎﾃﾙ案内\r\n"_s, u"美しい庭 ～ 宿\r\n"_s};
    if (QByteArrayView(pluginCharset).endsWith("euc-jp")) {
        // EUC-JP widens half-width katakana.
        expected[0] = u"京都の旅館 ホテル案内\r\n"_s;
    }
    if (QByteArrayView(pluginCharset) == "iso-2022-jp") {
        // Half-width katakana have no plain ISO-2022-JP form.
        bytes = encodeWithQt(u"京都の旅館 案内\r\n美しい庭 宿\r\n"_s, qtCharset);
        expected = QStringList({u"京都の旅館 案内\r\n"_s, u"美しい庭 宿\r\n"_s});
    }
    const QString charset = QString::fromLatin1(pluginCharset);
    EXPECT_EQ(linesOf(charset, {bytes}), expected);

    QList<QByteArray> pieces;
    for (const char byte : bytes)
        pieces.append(QByteArray(1, byte));
    EXPECT_EQ(linesOf(charset, pieces), expected);
}

// The slot's line buffer keeps the room of its longest line: a shorter line
// after it is read alone, nothing of the longer one after its end, in one
// arrival and in arrivals of a line each.
TEST_P(ReplyCharsets, AShorterLineAfterALongerOneIsReadAlone)
{
    const auto [pluginCharset, qtCharset] = GetParam();
    const QStringList lines = {u"京都の旅館と庭園の案内、季節の料理と宿のご紹介\r\n"_s, u"宿\r\n"_s,
                               u"<a href=\"/x\">庭</a>\r\n"_s, u"b\r\n"_s};
    QList<QByteArray> arrivals;
    for (const QString& line : lines)
        arrivals.append(encodeWithQt(line, qtCharset));
    QStringList expected = lines;
    expected[2] = u"<a href=\"http://h/x\" target=\"_sokuri\">庭</a>\r\n"_s;
    const QString charset = QString::fromLatin1(pluginCharset);
    EXPECT_EQ(linesOf(charset, {arrivals.join()}), expected);
    EXPECT_EQ(linesOf(charset, arrivals), expected);
}

// A base address in a reply line is taken in every character set, in a
// line of Japanese text and in one whose bytes break the words up (an
// escape of ISO-2022-JP between two letters of "base").
TEST_P(ReplyCharsets, BaseAddressesAreTakenFromTheReplyLines)
{
    const auto [pluginCharset, qtCharset] = GetParam();
    const QString charset = QString::fromLatin1(pluginCharset);
    QList<std::pair<QByteArray, QString>> lines = {
        {encodeWithQt(u"<p>京都 <BASE HREF=\"http://One.Example/x/\"> 旅館</p>\r\n"_s, qtCharset),
         u"http://one.example/"_s}};
    if (charset == u"iso-2022-jp")
        lines.append({"<bas\x1B(Be href=\"http://two.example/\">\r\n", u"http://two.example/"_s});
    // The words at every place up to the line's end, the address before
    // them: the line's first address is the base address.
    for (int pad = 0; pad < 40; ++pad)
        lines.append(
            {"<a href=\"http://three.example/\">" + QByteArray(pad, 'x') + "<base href=\r\n",
             u"http://three.example/"_s});
    for (const auto& [line, base] : lines) {
        PluginSlot slot = lineSlot(charset);
        SlotState state;
        QList<ResultRow> rows;
        ReadReplyBytes(slot, state, line, rows);
        EXPECT_EQ(slot.BaseUrl, base);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryCharset, ReplyCharsets,
    ::testing::Values(std::pair{"iso-2022-jp", "ISO-2022-JP"}, std::pair{"x-euc-jp", "EUC-JP"},
                      std::pair{"euc-jp", "EUC-JP"}, std::pair{"x-sjis", "windows-31j"},
                      std::pair{"shift_jis", "windows-31j"}, std::pair{"utf-8", "UTF-8"}));

TEST(RequestBytes, GetIsTheRequestLineTheHostLineAndAnEmptyLine)
{
    PluginSlot slot;
    slot.Host = u"search.example.jp"_s;
    slot.Port = 80;
    slot.Path = u"/s"_s;
    slot.Method = u"get"_s;
    slot.Query = u"lang=ja&q=%8B%9E%93s+%97%B7%8A%D9"_s;
    EXPECT_EQ(BuildRequestBytes(slot), "GET /s?lang=ja&q=%8B%9E%93s+%97%B7%8A%D9 HTTP/1.0\r\n"
                                       "Host: search.example.jp\r\n\r\n");

    slot.Port = 8080;
    slot.Path = u"/cgi/s?x=1"_s;
    slot.Query.clear();
    EXPECT_EQ(BuildRequestBytes(slot),
              "GET /cgi/s?x=1? HTTP/1.0\r\nHost: search.example.jp:8080\r\n\r\n");
}

TEST(RequestBytes, PostSendsTheQueryAsAFormBody)
{
    PluginSlot slot;
    slot.Host = u"h"_s;
    slot.Port = 80;
    slot.Path = u"/find"_s;
    slot.Method = u"POST"_s;
    slot.Query = u"q=%82%A0"_s;
    EXPECT_EQ(BuildRequestBytes(slot), "POST /find HTTP/1.0\r\nHost: h\r\n"
                                       "Content-Type: application/x-www-form-urlencoded\r\n"
                                       "Content-Length: 8\r\n\r\nq=%82%A0");
}

TEST(RequestBytes, OtherMethodsSendAnEmptyRequestLine)
{
    PluginSlot slot;
    slot.Scheme = u"https"_s;
    slot.Host = u"h"_s;
    slot.Port = 443;
    slot.Path = u"/s"_s;
    slot.Method = u"HEAD"_s;
    EXPECT_EQ(BuildRequestBytes(slot), "\r\nHost: h\r\n\r\n");
}

TEST(ReplyLines, LineEndsAtEveryPositionOfAnArrival)
{
    // Lines of every length around the width of one search step, with every
    // kind of line end, in one arrival and in arrivals of 7 bytes.
    QByteArray reply;
    QStringList expected;
    const char* const ends[] = {"\r\n", "\n", "\r", "\r\n\r\n"};
    for (int length = 1; length < 40; ++length) {
        const QByteArray line(length, char('a' + length % 26));
        reply += line + ends[length % 4];
        expected.append(QString::fromLatin1(line) + u"\r\n"_s);
    }
    EXPECT_EQ(linesOf(u"x-sjis"_s, {reply}), expected);
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < reply.size(); at += 7)
        pieces.append(reply.mid(at, 7));
    EXPECT_EQ(linesOf(u"x-sjis"_s, pieces), expected);
}

// A line decoded into the buffer that the lines before it used gives the
// text that decoding it on its own gives, whatever the buffer held.
TEST(ReplyLines, TheReusedLineBufferHoldsOnlyTheLastLine)
{
    const QByteArray lines[] = {QByteArray(300, 'x') + "\r\n",
                                "\xA4\xA2\xA4\xA4<a>\r\n", // EUC-JP
                                "\x82\xA0\x82\xA2<a>\r\n", // Shift_JIS
                                "\x82\r\n",                // a cut Shift_JIS pair
                                "\xE3\x81\x82<a>\r\n",     // UTF-8
                                "\xE3\x81<a>\r\n",         // ill-formed UTF-8
                                "\x1B$B$\"\x1B(B<a>\r\n",  // ISO-2022-JP
                                "\x1B$B$\r\n",             // a cut kanji pair
                                "\r\n"};
    for (const QString& charset :
         {u"iso-2022-jp"_s, u"x-euc-jp"_s, u"x-sjis"_s, u"utf-8"_s, u"other"_s}) {
        QString buffer;
        for (const QByteArray& line : lines) {
            DecodeReplyLine(charset, line, buffer);
            ASSERT_EQ(buffer, DecodeReplyLine(charset, line))
                << qPrintable(charset) << " " << line.toHex().constData();
        }
    }
}
