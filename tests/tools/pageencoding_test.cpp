#include "testengine/pageencoding.h"

#include "support/qtprinters.h"
#include "support/testfiles.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using namespace Qt::StringLiterals;
using sokuri::test::bytes;
using sokuri::test::EncodePage;

namespace {

struct Charset
{
    const char* page;            // the name EncodePage takes
    const char* decoder;         // the converter that reads it back
    std::vector<int> hiragana_a; // the bytes of "あ" (U+3042) in it
};

void PrintTo(const Charset& charset, std::ostream* out)
{
    *out << charset.page;
}

class PageCharset : public ::testing::TestWithParam<Charset>
{};

const QString JapanesePage =
    u"<html><body><ul>\r\n"
    u"<li><a href=\"/ryokan?q=1\">京都の老舗旅館</a> ひらがな カタカナ ＡＢＣ 漢字表記</li>\r\n"
    u"<li>二行目、句読点。「括弧」</li>\r\n"
    u"</ul></body></html>\r\n"_s;

} // namespace

TEST_P(PageCharset, JapanesePageRoundTrips)
{
    const QByteArray encoded = EncodePage(JapanesePage, QString::fromLatin1(GetParam().page));
    ASSERT_FALSE(encoded.isEmpty());
    QStringDecoder decoder(GetParam().decoder);
    ASSERT_TRUE(decoder.isValid());
    const QString decoded = decoder.decode(encoded);
    EXPECT_FALSE(decoder.hasError());
    EXPECT_EQ(decoded, JapanesePage);
}

TEST_P(PageCharset, HiraganaAHasItsKnownBytes)
{
    QByteArray expected;
    for (int byte : GetParam().hiragana_a)
        expected += char(byte);
    expected += "\r\n";
    EXPECT_EQ(EncodePage(u"あ\r\n"_s, QString::fromLatin1(GetParam().page)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    AllCharsets, PageCharset,
    ::testing::Values(
        Charset{"iso-2022-jp", "ISO-2022-JP", {0x1B, 0x24, 0x42, 0x24, 0x22, 0x1B, 0x28, 0x42}},
        Charset{"euc-jp", "EUC-JP", {0xA4, 0xA2}}, Charset{"shift_jis", "Shift_JIS", {0x82, 0xA0}},
        Charset{"utf-8", "UTF-8", {0xE3, 0x81, 0x82}}),
    [](const ::testing::TestParamInfo<Charset>& info) {
        std::string name = info.param.page;
        std::erase_if(name, [](char c) { return c == '-' || c == '_'; });
        return name;
    });

TEST(PageEncoding, Iso2022JpReturnsToAsciiAtEveryLineEnd)
{
    // 京 is 0x357E and 都 0x4554 in JIS X 0208.
    EXPECT_EQ(EncodePage(u"京\n都\r\nabc"_s, u"ISO-2022-JP"_s),
              bytes({0x1B, 0x24, 0x42, 0x35, 0x7E, 0x1B, 0x28, 0x42, '\n', 0x1B, 0x24,
                     0x42, 0x45, 0x54, 0x1B, 0x28, 0x42, '\r', '\n', 'a',  'b',  'c'}));
}

TEST(PageEncoding, ShiftJisUsesTheMicrosoftTable)
{
    // Code page 932 maps 0x8160 to the fullwidth tilde, and knows the NEC
    // row 13 (① is 0x8740); the plugin name x-sjis means the same.
    EXPECT_EQ(EncodePage(u"～①"_s, u"shift_jis"_s), bytes({0x81, 0x60, 0x87, 0x40}));
    EXPECT_EQ(EncodePage(u"～①"_s, u"X-SJIS"_s), bytes({0x81, 0x60, 0x87, 0x40}));
    EXPECT_EQ(EncodePage(u"あ"_s, u"x-euc-jp"_s), bytes({0xA4, 0xA2}));
}

TEST(PageEncoding, UnknownCharsetGivesNothing)
{
    EXPECT_TRUE(EncodePage(u"abc"_s, u"koi8-r"_s).isEmpty());
    EXPECT_TRUE(EncodePage(u"abc"_s, QString()).isEmpty());
}
