#include "encoding/codepage932.h"

#include <QByteArray>
#include <QString>

#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::bytes;

namespace {

constexpr QChar Replacement(u'\uFFFD');

} // namespace

// Code page 932 passes 0x00-0x7F through; ICU's table rotates 0x1A, 0x1C and
// 0x7F as IBM code pages do, which must not show, alone or beside kanji.
TEST(Cp932, AsciiPassesUnchangedBothWays)
{
    QByteArray ascii;
    QString text;
    for (int b = 0; b < 0x80; ++b) {
        ascii.append(char(b));
        text.append(QChar(char16_t(b)));
        EXPECT_EQ(cp932::decodeByte(uchar(b)), QChar(char16_t(b))) << b;
    }
    EXPECT_EQ(cp932::decode(ascii), text);
    EXPECT_EQ(cp932::encode(text), ascii);
    EXPECT_EQ(cp932::decode(QByteArray(bytes({0x82, 0xA0}) + ascii)), QString(u"あ"_s + text));
    EXPECT_EQ(cp932::encode(QString(u"あ"_s + text)), QByteArray(bytes({0x82, 0xA0}) + ascii));
    EXPECT_EQ(cp932::encodeWithReferences(QString(u"\U00020BB7"_s + text)),
              QByteArray("&#x20BB7;" + ascii));
}

TEST(Cp932, HalfWidthKatakanaAreSingleBytes)
{
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const QChar kana(char16_t(0xFF61 + (b - 0xA1)));
        EXPECT_EQ(cp932::decodeByte(uchar(b)), kana) << b;
        EXPECT_EQ(cp932::decode(bytes({b})), QString(kana)) << b;
        EXPECT_EQ(cp932::encode(QString(kana)), bytes({b})) << b;
    }
}

// Single bytes that are no character: ICU gives none for 0x80, 0xA0 and
// 0xFD-0xFF, and a lead byte alone is cut off.
class Cp932NoCharacterByte : public testing::TestWithParam<int>
{};

TEST_P(Cp932NoCharacterByte, DecodesToTheReplacementCharacter)
{
    const int b = GetParam();
    EXPECT_EQ(cp932::decodeByte(uchar(b)), Replacement);
    EXPECT_EQ(cp932::decode(bytes({b})), QString(Replacement));
    EXPECT_EQ(cp932::decode(bytes({0x41, b})), u"A\uFFFD"_s);
    // A byte that cannot be a trail is not swallowed by the lead before it.
    EXPECT_EQ(cp932::decode(bytes({b, 0x0A})), u"\uFFFD\n"_s);
}

INSTANTIATE_TEST_SUITE_P(OddBytesAndLeadBytes, Cp932NoCharacterByte,
                         testing::Values(0x80, 0xA0, 0xFD, 0xFE, 0xFF, 0x81, 0x9F, 0xE0, 0xFC));

TEST(Cp932, DecodeMarksEveryBadSequenceAndKeepsTheRest)
{
    // An unassigned code is one replacement character; a lead byte followed
    // by a byte that cannot be a trail loses only itself.
    EXPECT_EQ(cp932::decode(bytes({0x82, 0xA0, 0x85, 0x40, 0x41})), u"あ\uFFFDA"_s);
    EXPECT_EQ(cp932::decode(bytes({0x81, 0x7F, 0x41})), u"\uFFFD\u007FA"_s);
    EXPECT_EQ(cp932::decode(bytes({0x81, 0x20, 0x81, 0x60})), u"\uFFFD ～"_s);
}

TEST(Cp932, EveryByteThatStartsADoubleByteCharacterIsALeadByte)
{
    // Some lead bytes (0x85, 0x86, 0xEB, ...) have no character assigned; the
    // bytes that do start one must all count as lead bytes.
    for (int lead = 0; lead < 256; ++lead) {
        bool startsACharacter = false;
        for (int trail = 0; trail < 256 && !startsACharacter; ++trail)
            startsACharacter = cp932::decodePair(uchar(lead), uchar(trail)) != Replacement;
        if (startsACharacter) {
            EXPECT_TRUE(cp932::isLeadByte(uchar(lead))) << lead;
        }
    }
    EXPECT_FALSE(cp932::isLeadByte(0x80));
    EXPECT_FALSE(cp932::isLeadByte(0xA0));
    EXPECT_FALSE(cp932::isLeadByte(0xFD));
}

TEST(Cp932, DecodePairFollowsTheMicrosoftTable)
{
    EXPECT_EQ(cp932::decodePair(0x81, 0x60), QChar(u'～'));     // U+FF5E, not the wave dash
    EXPECT_EQ(cp932::decodePair(0x87, 0x40), QChar(u'①'));      // NEC special characters
    EXPECT_EQ(cp932::decodePair(0xED, 0x40), QChar(u'纊'));     // NEC-selected IBM extensions
    EXPECT_EQ(cp932::decodePair(0xFA, 0x40), QChar(u'ⅰ'));      // IBM extensions
    EXPECT_EQ(cp932::decodePair(0xF0, 0x40), QChar(u'\uE000')); // user-defined area
    for (int trail : {0x00, 0x0A, 0x3F, 0x7F, 0xFD, 0xFF})
        EXPECT_EQ(cp932::decodePair(0x88, uchar(trail)), Replacement) << trail;
    for (int lead : {0x41, 0x80, 0xA1, 0xFD})
        EXPECT_EQ(cp932::decodePair(uchar(lead), 0x9F), Replacement) << lead;
}

struct UnmappableCase
{
    const char16_t* text;
    const char* reference;
};

class Cp932Unmappable : public testing::TestWithParam<UnmappableCase>
{};

TEST_P(Cp932Unmappable, BecomesAQuestionMarkOrAReference)
{
    const QString text = u"x"_s + QStringView(GetParam().text).toString() + u"y"_s;
    EXPECT_EQ(cp932::encode(text), "x?y");
    EXPECT_EQ(cp932::encodeWithReferences(text),
              QByteArray("x" + QByteArray(GetParam().reference) + "y"));
}

INSTANTIATE_TEST_SUITE_P(
    Characters, Cp932Unmappable,
    testing::Values(UnmappableCase{u"\U00020BB7", "&#x20BB7;"}, // one surrogate pair, one character
                    UnmappableCase{u"\u301C", "&#x301C;"},      // the wave dash has no code
                    UnmappableCase{u"\u00A5", "&#xA5;"},        // no fallback to 0x5C
                    UnmappableCase{u"\u00AB", "&#xAB;"},
                    UnmappableCase{u"\u200B", "&#x200B;"}, // ignorable, yet not dropped
                    UnmappableCase{u"\xD842", "&#xFFFD;"}, // lone surrogates
                    UnmappableCase{u"\xDFB7", "&#xFFFD;"}));

TEST(Cp932, LoneSurrogateAtTheEndIsNotDropped)
{
    const QString text = u"あ"_s + QChar(u'\xD842');
    EXPECT_EQ(cp932::encode(text), bytes({0x82, 0xA0, '?'}));
    EXPECT_EQ(cp932::encodeWithReferences(text), QByteArray(bytes({0x82, 0xA0}) + "&#xFFFD;"));
}

TEST(Cp932, EncodeWritesTheCodesOfMappableText)
{
    const QString text = u"あｶ亜～A"_s;
    const QByteArray sjis = bytes({0x82, 0xA0, 0xB6, 0x88, 0x9F, 0x81, 0x60, 0x41});
    EXPECT_EQ(cp932::encode(text), sjis);
    EXPECT_EQ(cp932::encodeWithReferences(text), sjis);
    EXPECT_EQ(cp932::decode(sjis), text);
    EXPECT_TRUE(cp932::encode(QString()).isEmpty());
    EXPECT_TRUE(cp932::decode(QByteArray()).isEmpty());
}

TEST(Cp932, LongTextsConvertWhole)
{
    QString text;
    QByteArray expected;
    for (int i = 0; i < 5000; ++i) {
        text += u"あ\U00020BB7"_s;
        expected += bytes({0x82, 0xA0}) + "&#x20BB7;";
    }
    EXPECT_EQ(cp932::encodeWithReferences(text), expected);
    EXPECT_EQ(cp932::decode(cp932::encode(text)), QString(text).replace(u"\U00020BB7"_s, u"?"_s));
}

// The table decoding gives what ICU's converter gives for every byte and
// every two-byte sequence, alone and between ASCII and kanji, as well as in
// the sixteen-byte steps of a long line; what it cannot judge goes to the
// converter. No code from 0x80 up is an ASCII character, so the ASCII of
// decoded text is the ASCII bytes themselves (reply lines are looked at for
// a base address in their bytes).
TEST(Cp932, TableDecodingMatchesTheConverterForEveryCode)
{
    const QByteArray before = QByteArray("<a href=\"x\">0123456789") + bytes({0x8A, 0xBF});
    const QByteArray after = bytes({0x8E, 0x9A}) + QByteArray("</a>\r\n");
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const QByteArray code = bytes({first, second});
            ASSERT_EQ(cp932::decode(code), cp932::decodeWithConverter(code)) << first << second;
            const QByteArray line = before + code + after;
            ASSERT_EQ(cp932::decode(line), cp932::decodeWithConverter(line)) << first << second;
            if (first >= 0x80) {
                ASSERT_GE(cp932::decodePair(uchar(first), uchar(second)).unicode(), 0x80);
            }
        }
        if (first >= 0x80) {
            ASSERT_GE(cp932::decodeByte(uchar(first)).unicode(), 0x80) << first;
        }
        const QByteArray cut = before + bytes({first});
        ASSERT_EQ(cp932::decode(cut), cp932::decodeWithConverter(cut)) << first;
    }
}
