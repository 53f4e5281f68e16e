// The compound rule and the choice, on morpheme lines written by hand: no
// analyser is needed.

#include "analysis/analysabletext.h"
#include "analysis/keywordchoice.h"
#include "analysis/morpheme.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

struct CompoundCase
{
    const char16_t* what;
    QString text;
    QStringList morphemes; // "WORD CODE", as the command file writes them
    QStringList terms;
};

QStringList analyserLines(const QStringList& morphemes)
{
    QStringList lines;
    for (const QString& morpheme : morphemes) {
        const QStringList fields = morpheme.split(u' ');
        lines.append(fields[0] + u'\t' + fields[0] + u'\t' + fields[0] + u'\t' + fields[1] +
                     u" 0 0");
    }
    return lines;
}

const CompoundCase CompoundCases[] = {
    {u"a prefix and nouns",
     u"大規模言語モデルを"_s,
     {u"大 p"_s, u"規模 2"_s, u"言語 2"_s, u"モデル 2"_s, u"を 0"_s},
     {u"大規模言語モデル"_s}},
    {u"suffixes end a run",
     u"東京証券取引所の補助金"_s,
     {u"東京 3"_s, u"証券 2"_s, u"取引 6"_s, u"所 s"_s, u"の 0"_s, u"補助 6"_s, u"金 s"_s},
     {u"東京証券取引所"_s, u"補助金"_s}},
    {u"a run never starts with a suffix", u"所長"_s, {u"所 s"_s, u"長 2"_s}, {u"長"_s}},
    {u"brackets tagged as nouns never join",
     u"人工知能(AI)"_s,
     {u"人工 2"_s, u"知能 2"_s, u"( 6"_s, u"AI 3"_s, u") 6"_s},
     {u"人工知能"_s, u"AI"_s}},
    {u"a comma tagged as a noun is no keyword",
     u"東京,大阪"_s,
     {u"東京 3"_s, u", 6"_s, u"大阪 3"_s},
     {u"東京"_s, u"大阪"_s}},
    {u"Latin letters one by one, then digits",
     u"iPhone15を"_s,
     {u"i y"_s, u"P y"_s, u"h y"_s, u"o y"_s, u"n y"_s, u"e y"_s, u"1 n"_s, u"5 n"_s, u"を 0"_s},
     {u"iPhone15"_s}},
    {u"a blank breaks a run",
     u"Apple Watch 15"_s,
     {u"Apple 2"_s, u"Watch 2"_s, u"15 n"_s},
     {u"Apple"_s, u"Watch"_s}},
    {u"kanji numbers join",
     u"二酸化炭素と第二次世界大戦"_s,
     {u"二 n"_s, u"酸化 6"_s, u"炭素 2"_s, u"と 0"_s, u"第 p"_s, u"二 n"_s, u"次 s"_s, u"世界 2"_s,
      u"大戦 2"_s},
     {u"二酸化炭素"_s, u"第二次世界大戦"_s}},
    {u"digits join only Latin letters",
     u"2024年東京でG7サミット"_s,
     {u"2024 n"_s, u"年 s"_s, u"東京 3"_s, u"で 0"_s, u"G y"_s, u"7 n"_s, u"サミット 2"_s},
     {u"東京"_s, u"G7サミット"_s}},
    {u"honorifics never join", u"田中さんは"_s, {u"田中 3"_s, u"さん s"_s, u"は 0"_s}, {u"田中"_s}},
    {u"a prefix at the end is dropped", u"東京大"_s, {u"東京 3"_s, u"大 p"_s}, {u"東京"_s}},
    {u"stems and suffixes alone name nothing", u"重要だ"_s, {u"重要 a"_s, u"だ 0"_s}, {}},
    {u"unknown words join, hiragana ones name nothing",
     u"ろナントカ社"_s,
     {u"ろ u"_s, u"ナントカ u"_s, u"社 s"_s},
     {u"ろナントカ社"_s}},
    {u"a middle dot joins katakana names, not other words",
     u"レオナルド・ダ・ヴィンチと東京・大阪"_s,
     {u"レオナルド 3"_s, u"・ y"_s, u"ダ u"_s, u"・ y"_s, u"ヴィンチ u"_s, u"と 0"_s, u"東京 3"_s,
      u"・ y"_s, u"大阪 3"_s},
     {u"レオナルド・ダ・ヴィンチ"_s, u"東京"_s, u"大阪"_s}},
    {u"a line break breaks a run",
     u"東京\n大阪"_s,
     {u"東京 3"_s, u"大阪 3"_s},
     {u"東京"_s, u"大阪"_s}},
};

class CompoundRule : public testing::TestWithParam<CompoundCase>
{};

} // namespace

TEST_P(CompoundRule, JoinsTheRunsThatNameOneThing)
{
    const CompoundCase& c = GetParam();
    SCOPED_TRACE(QString::fromUtf16(c.what).toStdString());
    EXPECT_EQ(PassageKeywords(analyserLines(c.morphemes), c.text, {true, 0}), c.terms);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompoundRule, testing::ValuesIn(CompoundCases),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(KeywordChoice, BestFirstTiesByPositionNothingInsideAChosenTerm)
{
    const QList<ScoredTerm> terms = {
        {u"知能"_s, 3, 1, 1}, {u"人工知能"_s, 9, 0, 2}, {u"研究"_s, 3, 5, 1},
        {u"分野"_s, 3, 4, 1}, {u"機械学習"_s, 5, 8, 1},
    };
    EXPECT_EQ(ChooseKeywords(terms, 3), QStringList({u"人工知能"_s, u"機械学習"_s, u"分野"_s}));
    EXPECT_EQ(ChooseKeywords(terms, 0),
              QStringList({u"人工知能"_s, u"機械学習"_s, u"分野"_s, u"研究"_s}));
}

TEST(KeywordChoice, TheTermATextDefinesComesFirst)
{
    // 「光合成とは…植物…植物…植物」: the frequent 植物 does not win.
    const QString text = u"光合成とは植物の反応。植物と植物。"_s;
    const QStringList lines =
        analyserLines({u"光 2"_s, u"合成 6"_s, u"と 0"_s, u"は 0"_s, u"植物 2"_s, u"の 0"_s,
                       u"反応 6"_s, u"。 y"_s, u"植物 2"_s, u"と 0"_s, u"植物 2"_s, u"。 y"_s});
    EXPECT_EQ(PassageKeywords(lines, text, {true, 2}), QStringList({u"光合成"_s, u"植物"_s}));
    // Compound terms off: single nouns, duplicates dropped; the one before
    // とは first, a noun of one character last.
    EXPECT_EQ(PassageKeywords(lines, text, {false, 3}),
              QStringList({u"合成"_s, u"植物"_s, u"反応"_s}));
}

TEST(KeywordChoice, OnlyThisProgramsCodesAreJoined)
{
    // A server that sends its dictionary's numbers gets the keyword rule's words.
    EXPECT_TRUE(HasOwnClassCodes(analyserLines({u"東京 3"_s, u"の 0"_s, u"大 p"_s, u"。 y"_s})));
    EXPECT_FALSE(HasOwnClassCodes(analyserLines({u"東京 3"_s, u"の 61"_s})));
    EXPECT_FALSE(HasOwnClassCodes(analyserLines({u"東京 8"_s})));
    EXPECT_TRUE(HasOwnClassCodes({u"EOS"_s, u""_s}));
}

TEST(PieceLines, LongLinesAreCutAtSentenceEndsShortOnesKept)
{
    const QString sentence = u"東京は日本の首都である。"_s; // 12 characters
    const QString longLine = sentence.repeated(200);
    const QStringList pieces = PieceLines(longLine + u"\n短い行"_s).split(u'\n');
    EXPECT_EQ(pieces.join(QString()), longLine + u"短い行"_s);
    EXPECT_EQ(pieces.last(), u"短い行"_s);
    for (const QString& piece : pieces) {
        EXPECT_LE(piece.size(), MaxPieceChars);
        EXPECT_TRUE(piece.endsWith(u'。') || piece == u"短い行"_s) << piece.toStdString();
    }
    // No sentence end nor blank: cut at the limit, never inside a surrogate pair.
    const QString kanji = u"𠮷"_s.repeated(MaxPieceChars);
    for (const QString& piece : PieceLines(kanji).split(u'\n')) {
        EXPECT_LE(piece.size(), MaxPieceChars);
        EXPECT_FALSE(piece.back().isHighSurrogate());
    }
    EXPECT_EQ(PieceLines(u"a\nb"_s), u"a\nb"_s);
}
