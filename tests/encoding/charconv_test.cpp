#include "encoding/charconv.h"

#include "encoding/codepage932.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>

#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::bytes;

namespace {

const QByteArray CrLf("\r\n");
constexpr int Esc = 0x1B;

// Each byte as its own single-byte character: what an ISO-2022-JP line that
// cannot be decoded comes back as.
QString byteByByte(const QByteArray& line)
{
    QString text;
    for (char b : line)
        text += cp932::decodeByte(uchar(b));
    return text;
}

// One position of JIS X 0208 with its codes and the character code page 932
// gives for it (U+FFFD where it gives none), from an independent table.
struct Position
{
    int row = 0;
    int cell = 0;
    QByteArray jis;
    QByteArray sjis;
    QByteArray euc;
    QChar character;
    bool held = false;
};

std::ostream& operator<<(std::ostream& os, const Position& p)
{
    return os << "row " << p.row << " cell " << p.cell << " (Shift_JIS " << p.sjis.toHex().data()
              << ")";
}

class Jisx0208 : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        QFile file(QStringLiteral(SOKURI_TEST_DATA_DIR "/jisx0208.tsv"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "missing " << SOKURI_TEST_DATA_DIR;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QList<QByteArray> f = line.split('\t');
            ASSERT_EQ(f.size(), 6) << line.constData();
            Position p;
            p.row = f[0].toInt();
            p.cell = f[1].toInt();
            p.jis = QByteArray::fromHex(f[2]);
            p.sjis = QByteArray::fromHex(f[3]);
            p.euc = QByteArray::fromHex(f[4]);
            p.held = f[5] != "-";
            p.character = p.held ? QChar(char16_t(f[5].mid(2).toUInt(nullptr, 16))) : QChar(0xFFFD);
            positions.append(p);
        }
    }

    static inline QList<Position> positions;
};

TEST_F(Jisx0208, TableHoldsEveryPosition)
{
    ASSERT_EQ(positions.size(), 94 * 94);
}

TEST_F(Jisx0208, SjisToEucGivesTheEucCode)
{
    for (const Position& p : positions)
        ASSERT_EQ(SjisToEuc(p.sjis), p.euc) << p;
}

TEST_F(Jisx0208, DecodeEucGivesTheCharacter)
{
    for (const Position& p : positions)
        ASSERT_EQ(DecodeEuc(QByteArray(p.euc + CrLf)), QString(p.character + u"\r\n"_s)) << p;
}

TEST_F(Jisx0208, DecodeJisGivesTheCharacter)
{
    for (const Position& p : positions) {
        const QByteArray line = QByteArray("\x1B$B") + p.jis + "\x1B(B" + CrLf;
        ASSERT_EQ(DecodeJis(line), QString(p.character + u"\r\n"_s)) << p;
    }
}

// Every position in one kanji-mode run, as Japanese text comes.
TEST_F(Jisx0208, DecodeJisGivesEveryCharacterOfARun)
{
    QByteArray line = "\x1B$B";
    QString text;
    for (const Position& p : positions) {
        line += p.jis;
        text += p.character;
    }
    EXPECT_EQ(DecodeJis(QByteArray(line + "\x1B(B" + CrLf)), text + u"\r\n"_s);
}

TEST_F(Jisx0208, CodePage932DecodesTheShiftJisCode)
{
    for (const Position& p : positions) {
        ASSERT_EQ(cp932::decodePair(uchar(p.sjis[0]), uchar(p.sjis[1])), p.character) << p;
        ASSERT_EQ(cp932::decode(p.sjis), QString(p.character)) << p;
    }
}

// A character that code page 932 holds at several codes (NEC's row 13 and
// the IBM rows repeat symbols) encodes to one of them: every character of the
// table comes back from its encoding.
TEST_F(Jisx0208, CodePage932EncodingRoundTrips)
{
    for (const Position& p : positions) {
        if (p.held) {
            ASSERT_EQ(cp932::decode(cp932::encode(QString(p.character))), QString(p.character))
                << p;
        }
    }
}

struct LineCase
{
    const char* name;
    QByteArray line;
    QString text;
};

std::ostream& operator<<(std::ostream& os, const LineCase& c)
{
    return os << c.name;
}

std::string caseName(const testing::TestParamInfo<LineCase>& info)
{
    return info.param.name;
}

class DecodeEucLine : public testing::TestWithParam<LineCase>
{};

TEST_P(DecodeEucLine, GivesTheText)
{
    EXPECT_EQ(DecodeEuc(GetParam().line), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeEucLine,
    testing::Values(
        LineCase{"Hiragana", bytes({0xA4, 0xA2, 0x0D, 0x0A}), u"あ\r\n"_s},
        LineCase{"Kanji", bytes({0xB4, 0xC1, 0x0D, 0x0A}), u"漢\r\n"_s},
        LineCase{"HalfWidthKatakanaWidened", bytes({0x8E, 0xB6, 0x0D, 0x0A}), u"カ\r\n"_s},
        // Each half-width character is widened alone: no ガ or パ forms.
        LineCase{"VoicedMarksStaySeparate", bytes({0x8E, 0xB6, 0x8E, 0xDE, 0x8E, 0xCA, 0x8E, 0xDF}),
                 u"カ゛ハ゜"_s},
        LineCase{"WidenedAsciiAndSpace", bytes({0x8E, 0x41, 0x8E, 0x20, 0x8E, 0x7E, 0x8E, 0x21}),
                 u"Ａ\u3000～！"_s},
        LineCase{"WidenedControlStays", bytes({0x8E, 0x0D, 0x0A}), u"\r\n"_s},
        LineCase{"WidenedNonCharacterByte", bytes({0x8E, 0x80, 0x8E, 0xE0}), u"\uFFFD\uFFFD"_s},
        // JIS X 0212 is not recognised: 8F B0 is one pair, A1 41 the next
        // (row 1 cell 33, the wave dash, which code page 932 reads as U+FF5E).
        LineCase{"ThreeByteFormIsNotRecognised", bytes({0x8F, 0xB0, 0xA1, 0x41, 0x0D, 0x0A}),
                 u"\uFFFD～\r\n"_s},
        LineCase{"FinalLoneByteIsASingleByte", bytes({0x41, 0xA4}), u"A､"_s},
        LineCase{"FinalAsciiByte", bytes({0x41, 0x0A}), u"A\n"_s},
        LineCase{"PlainAscii", QByteArray("GET / HTTP/1.0\r\n"), u"GET / HTTP/1.0\r\n"_s},
        LineCase{"Empty", QByteArray(), QString()}),
    caseName);

// Every half-width katakana after 0x8E becomes its compatibility equivalent,
// except the two sound marks, which become the spacing marks.
class DecodeEucHalfWidth : public testing::TestWithParam<int>
{};

TEST_P(DecodeEucHalfWidth, BecomesFullWidth)
{
    const int b = GetParam();
    const QString halfWidth(QChar(char16_t(0xFF61 + (b - 0xA1))));
    const QString fullWidth = b == 0xDE   ? u"゛"_s
                              : b == 0xDF ? u"゜"_s
                                          : halfWidth.normalized(QString::NormalizationForm_KC);
    EXPECT_NE(fullWidth, halfWidth);
    EXPECT_EQ(DecodeEuc(bytes({0x8E, b, 0x0D, 0x0A})), QString(fullWidth + u"\r\n"_s));
}

INSTANTIATE_TEST_SUITE_P(Katakana, DecodeEucHalfWidth, testing::Range(0xA1, 0xE0));

class DecodeJisLine : public testing::TestWithParam<LineCase>
{};

TEST_P(DecodeJisLine, GivesTheText)
{
    EXPECT_EQ(DecodeJis(GetParam().line), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeJisLine,
    testing::Values(
        LineCase{"Kanji", bytes({Esc, '$', 'B', 0x30, 0x21, Esc, '(', 'B', 0x0D, 0x0A}),
                 u"亜\r\n"_s},
        LineCase{"KanjiRunThenAControl",
                 bytes({Esc, '$', 'B', 0x30, 0x21, 0x30, 0x22, 0x7E, 0x7E, 0x0D, 0x0A}),
                 u"亜唖\uFFFD\r\n"_s},
        LineCase{"EscapeBeforeFinalByte", bytes({0x41, Esc, '(', 'B', 0x0A}), u"A\n"_s},
        LineCase{"EscapeAtTheEnd", bytes({0x41, Esc, '(', 'B'}), u"A"_s},
        LineCase{"RomanEscape", bytes({Esc, '$', 'B', 0x30, 0x21, Esc, '(', 'J', 0x30, 0x0A}),
                 u"亜0\n"_s},
        // Controls pass through kanji mode; no mode is needed to end a line.
        LineCase{"ControlsInKanjiMode", bytes({Esc, '$', 'B', 0x30, 0x21, 0x0D, 0x0A}),
                 u"亜\r\n"_s},
        LineCase{"UnknownEscapesAreText", bytes({Esc, '$', '@', Esc, '(', 'I', 0x0A}),
                 u"\u001B$@\u001B(I\n"_s},
        LineCase{"EscapeAfterAnEscapeIsText",
                 bytes({Esc, '(', 'B', Esc, '$', 'B', 0x30, 0x21, 0x0A}), u"\u001B$B0!\n"_s},
        LineCase{"EscapeCutBeforeItsName", bytes({Esc, '$', 'B', 0x30, 0x21, Esc, 0x0A}),
                 u"亜\u001B\n"_s},
        LineCase{"KanjiPairCutByTheEnd", bytes({Esc, '$', 'B', 0x30, 0x21, 0x30}), u"亜0"_s},
        LineCase{"RawShiftJis", bytes({0x82, 0xA0, 0x8A, 0xBF, 0x0D, 0x0A}), u"あ漢\r\n"_s},
        LineCase{"HalfWidthKatakanaStaysHalfWidth", bytes({0xB6, 0xDE, 0x0A}), u"ｶﾞ\n"_s},
        LineCase{"FinalLoneLeadByte", bytes({0x41, 0x82}), u"A\uFFFD"_s},
        // Largest bytes that stay within the arithmetic: no character there.
        LineCase{"KanjiLeadAtTheLimit", bytes({Esc, '$', 'B', 0x9E, 0x21, 0x0A}), u"\uFFFD\n"_s},
        LineCase{"KanjiTrailAtTheLimit", bytes({Esc, '$', 'B', 0x30, 0x81, 0x31, 0xDF, 0x0A}),
                 u"\uFFFD\uFFFD\n"_s},
        LineCase{"Empty", QByteArray(), QString()}),
    caseName);

// A JIS line that is only ASCII, without escapes, comes back unchanged.
class DecodeAsciiLine : public testing::TestWithParam<const char*>
{};

TEST_P(DecodeAsciiLine, ComesBackUnchanged)
{
    const QByteArray line(GetParam());
    EXPECT_EQ(DecodeJis(line), QString::fromLatin1(line));
    EXPECT_EQ(DecodeEuc(line), QString::fromLatin1(line));
}

INSTANTIATE_TEST_SUITE_P(Lines, DecodeAsciiLine,
                         testing::Values("<a href=\"x.html\">x</a>\r\n", "\r\n", "\n", "a",
                                         "\t~\\|\x7F\x1A\x1C\x01\r\n"));

// Lines that ISO-2022-JP decoding cannot take: they come back byte by byte.
class DecodeJisFallback : public testing::TestWithParam<LineCase>
{};

TEST_P(DecodeJisFallback, ReturnsTheBytesOneByOne)
{
    EXPECT_EQ(DecodeJis(GetParam().line), byteByByte(GetParam().line));
}

const QByteArray Kanji = bytes({Esc, '$', 'B', 0x30, 0x21});

INSTANTIATE_TEST_SUITE_P(
    Lines, DecodeJisFallback,
    testing::Values(LineCase{"KanjiLead9F", bytes({Esc, '$', 'B', 0x9F, 0x21, 0x0D, 0x0A}), {}},
                    LineCase{"KanjiLeadB0", bytes({Esc, '$', 'B', 0xB0, 0x21, 0x0D, 0x0A}), {}},
                    LineCase{"TrailTooLargeForEvenRow", Kanji + bytes({0x30, 0x82, 0x0A}), {}},
                    LineCase{"TrailTooLargeForOddRow", Kanji + bytes({0x31, 0xE0, 0x0A}), {}},
                    LineCase{"TrailTooLargeAfterControl", Kanji + bytes({0x0D, 0xE0, 0x0A}), {}},
                    LineCase{"KanjiEscapeCutOff", Kanji + bytes({Esc, '$'}), {}},
                    LineCase{"RomanEscapeCutOff", Kanji + bytes({Esc, '('}), {}},
                    LineCase{"KanjiEscapeAtTheEnd", Kanji + bytes({Esc, '$', 'B'}), {}},
                    LineCase{"OneByteAfterKanjiEscape", bytes({Esc, '$', 'B', 0x30}), {}}),
    caseName);

TEST(DecodeJis, FallbackKeepsHalfWidthKatakanaAndTheLineEnd)
{
    EXPECT_EQ(DecodeJis(bytes({Esc, '$', 'B', 0xB0, 0x21, 0x0D, 0x0A})), u"\u001B$Bｰ!\r\n"_s);
}

TEST(DecodeJis, KanjiModeDoesNotCarryOverToTheNextLine)
{
    EXPECT_EQ(DecodeJis(bytes({Esc, '$', 'B', 0x30, 0x21, 0x0A})), u"亜\n"_s);
    EXPECT_EQ(DecodeJis(bytes({0x30, 0x21, 0x0A})), u"0!\n"_s);
}

struct BytesCase
{
    const char* name;
    QByteArray sjis;
    QByteArray euc;
};

std::ostream& operator<<(std::ostream& os, const BytesCase& c)
{
    return os << c.name;
}

class SjisToEucCase : public testing::TestWithParam<BytesCase>
{};

TEST_P(SjisToEucCase, GivesTheEucBytes)
{
    EXPECT_EQ(SjisToEuc(GetParam().sjis), GetParam().euc);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SjisToEucCase,
    testing::Values(BytesCase{"Kanji", bytes({0x8A, 0xBF}), bytes({0xB4, 0xC1})},
                    BytesCase{"LastCellOfOddRow", bytes({0x81, 0x9E}), bytes({0xA1, 0xFE})},
                    BytesCase{"FirstCellOfEvenRow", bytes({0x81, 0x9F}), bytes({0xA2, 0xA1})},
                    BytesCase{"Hiragana", bytes({0x82, 0xA0}), bytes({0xA4, 0xA2})},
                    BytesCase{"HalfWidthKatakana", bytes({0xB6}), bytes({0x8E, 0xB6})},
                    BytesCase{"FinalLoneKatakanaBytes", bytes({0x41, 0xA0, 0x41, 0xDF}),
                              bytes({0x41, 0x8E, 0xA0, 0x41, 0x8E, 0xDF})},
                    BytesCase{"FinalLoneLeadByte", bytes({0x41, 0x82}), bytes({0x41, 0x82})},
                    BytesCase{"FinalLoneOtherByte", bytes({0x41, 0x80}), bytes({0x41, 0x80})},
                    BytesCase{"MixedText", bytes({0x41, 0xB6, 0x82, 0xA0, 0x0D, 0x0A}),
                              bytes({0x41, 0x8E, 0xB6, 0xA4, 0xA2, 0x0D, 0x0A})},
                    // A lead byte without a trail is copied; the next byte stands alone.
                    BytesCase{"LeadBeforeLineFeed", bytes({0x82, 0x0A}), bytes({0x82, 0x0A})},
                    BytesCase{"LeadBeforeControl", bytes({0x82, 0x1E, 0x82, 0xA0}),
                              bytes({0x82, 0x1E, 0xA4, 0xA2})},
                    BytesCase{"Empty", QByteArray(), QByteArray()}),
    [](const testing::TestParamInfo<BytesCase>& info) { return std::string(info.param.name); });

TEST(SjisToEuc, OutputEndsAtTheLastWholeCharacterWithinTheLimit)
{
    const QByteArray hiragana = bytes({0x82, 0xA0});
    const QByteArray manyPairs = hiragana.repeated(SjisToEucMaxBytes / 2 + 10);
    const QByteArray euc = SjisToEuc(manyPairs);
    EXPECT_EQ(euc, bytes({0xA4, 0xA2}).repeated(SjisToEucMaxBytes / 2));

    // One ASCII byte first: the pair that would straddle the limit is left out.
    EXPECT_EQ(SjisToEuc(QByteArray("A" + manyPairs)),
              QByteArray("A" + euc.left(SjisToEucMaxBytes - 2)));

    const QByteArray ascii(SjisToEucMaxBytes + 1, 'x');
    EXPECT_EQ(SjisToEuc(ascii), ascii.left(SjisToEucMaxBytes));
    EXPECT_EQ(SjisToEuc(ascii.left(SjisToEucMaxBytes)), ascii.left(SjisToEucMaxBytes));
}

} // namespace

// Runs of ASCII are decoded several bytes a step: a Japanese character, an
// escape or a lone final byte must be taken as such wherever the run ends.
TEST(DecodeAsciiRuns, EveryRunLengthBeforeAndAfterJapanese)
{
    for (int run = 0; run < 40; ++run) {
        SCOPED_TRACE(run);
        const QByteArray ascii(run, 'a');
        const QString text = QString(run, u'a');
        const QByteArray tail(run % 17, 'b');
        const QString tailText = QString(run % 17, u'b');

        // 漢 is B4 C1 in EUC-JP, 34 41 in ISO-2022-JP; ｶ is 8E B6 (widened).
        EXPECT_EQ(DecodeEuc(QByteArray(ascii + bytes({0xB4, 0xC1}) + tail + CrLf)),
                  QString(text + u"漢"_s + tailText + u"\r\n"_s));
        EXPECT_EQ(DecodeEuc(QByteArray(ascii + bytes({0x8E, 0xB6}) + tail + bytes({0xA4}))),
                  QString(text + u"カ"_s + tailText + u"､"_s));
        EXPECT_EQ(DecodeJis(QByteArray(ascii + "\x1b$B4A\x1b(B" + tail + CrLf)),
                  QString(text + u"漢"_s + tailText + u"\r\n"_s));
        // An escape that is no switch is a character of its own.
        EXPECT_EQ(DecodeJis(QByteArray(ascii + "\x1b$@" + tail + CrLf)),
                  QString(text + u"\x1b$@"_s + tailText + u"\r\n"_s));
        // Raw Shift_JIS outside kanji mode (8A BF is 漢).
        EXPECT_EQ(DecodeJis(QByteArray(ascii + bytes({0x8A, 0xBF}) + tail + CrLf)),
                  QString(text + u"漢"_s + tailText + u"\r\n"_s));
        // A kanji pair cut off by the line's end: the line byte by byte.
        const QByteArray cut = ascii + QByteArray("\x1b$B4");
        EXPECT_EQ(DecodeJis(cut), byteByByte(cut));
    }
}
