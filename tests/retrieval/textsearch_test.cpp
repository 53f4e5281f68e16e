#include "retrieval/entrymarks.h"
#include "retrieval/textsearch.h"

#include <QString>

#include <gtest/gtest.h>

#include <random>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

// The first position from `from` on where text holds word, ASCII letters of
// the text lower-cased when noCase: the searches' meaning, one position at a
// time.
qsizetype naiveFind(QStringView text, QStringView word, qsizetype from, bool noCase)
{
    const auto folded = [noCase](QChar c) {
        return noCase && c >= u'A' && c <= u'Z' ? QChar(c.unicode() | 0x20) : c;
    };
    for (qsizetype i = std::max<qsizetype>(from, 0); i + word.size() <= text.size(); ++i) {
        qsizetype j = 0;
        while (j < word.size() && folded(text[i + j]) == word[j])
            ++j;
        if (j == word.size())
            return i;
    }
    return -1;
}

// A text of about length characters made of pieces of the words searched
// for, whole and cut, in both cases, and of characters that narrow to the
// same byte as one of theirs (U+0161 beside "a", U+013C beside "<") or to
// its limits (U+00FF, U+8000), so that a step that narrows or folds wrongly
// finds too much.
QString randomText(std::mt19937& random, qsizetype length)
{
    static const QString pieces[] = {u"<a"_s,
                                     u"<A "_s,
                                     u"</a>"_s,
                                     u"</A>"_s,
                                     u"</li>"_s,
                                     u"<!--a-->"_s,
                                     u"src="_s,
                                     u"SrC="_s,
                                     u"http"_s,
                                     u"htt"_s,
                                     u"HTTP"_s,
                                     u"Http"_s,
                                     u"h"_s,
                                     u"p"_s,
                                     u"S"_s,
                                     u"base href="_s,
                                     u"BASE HREF"_s,
                                     u"target"_s,
                                     u"<li class=\"a\" href=\"e\">"_s,
                                     u"<"_s,
                                     u">"_s,
                                     u"/"_s,
                                     u"="_s,
                                     u" "_s,
                                     u"a"_s,
                                     u"s"_s,
                                     u"\u0161"_s,
                                     u"\u013C"_s,
                                     u"\u00FF"_s,
                                     u"\u8000"_s,
                                     u"\u8000a"_s,
                                     u"京"_s,
                                     u"京<"_s};
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    QString text;
    while (text.size() < length)
        text += pieces[pick(random)];
    return text;
}

} // namespace

TEST(TextSearch, EverySearchFindsWhatALookAtEveryPositionFinds)
{
    const QString exactWords[] = {u"<"_s,
                                  u"</li>"_s,
                                  u"<!--a-->"_s,
                                  u"ht"_s,
                                  u"京<"_s,
                                  u"\u8000a"_s,
                                  u"<li class=\"a\" href=\"e\">"_s};
    const QLatin1StringView caseWords[] = {"<a"_L1, "</a>"_L1, "src="_L1, "base href="_L1,
                                           "target"_L1};
    std::mt19937 random(20261209);
    for (int round = 0; round < 400; ++round) {
        const QString text = randomText(random, round % 150);
        for (qsizetype from = -1; from <= text.size() + 1; from += 3) {
            for (const QString& word : exactWords)
                ASSERT_EQ(findExact(text, word, from), naiveFind(text, word, from, false))
                    << qPrintable(text) << " " << qPrintable(word) << " " << from;
            for (const QLatin1StringView word : caseWords)
                ASSERT_EQ(findNoCase(text, word, from), naiveFind(text, QString(word), from, true))
                    << qPrintable(text) << " " << word.data() << " " << from;
            for (const QString& a : exactWords) {
                for (const QString& b : {u"</li>"_s, u"<!--a-->"_s, u"<"_s, u"京<"_s}) {
                    const qsizetype atA = naiveFind(text, a, from, false);
                    const qsizetype atB = naiveFind(text, b, from, false);
                    const bool bFirst = atB >= 0 && (atA < 0 || atB < atA);
                    bool second = false;
                    ASSERT_EQ(findEarlier(text, a, b, from, second), bFirst ? atB : atA)
                        << qPrintable(text) << " " << qPrintable(a) << " " << qPrintable(b);
                    ASSERT_EQ(second, bFirst) << qPrintable(text) << " " << from;
                }
            }
            for (const QChar c : {QChar(u'<'), QChar(u'\u013C'), QChar(u'京')})
                ASSERT_EQ(findChar(text, c, from), naiveFind(text, QStringView(&c, 1), from, false))
                    << qPrintable(text) << " " << from;
        }
    }
}

TEST(TextSearch, EntryMarksAreWhereTheSearchesFindTheirWords)
{
    std::mt19937 random(9122026);
    for (int round = 0; round < 400; ++round) {
        const QString text = randomText(random, round % 300);
        const EntryMarks marks(text);
        for (qsizetype from = 0; from <= text.size(); ++from) {
            ASSERT_EQ(marks.nextAnchorStart(from), findNoCase(text, "<a"_L1, from)) << from;
            ASSERT_EQ(marks.nextAnchorEnd(from), findNoCase(text, "</a>"_L1, from)) << from;
            ASSERT_EQ(marks.nextSource(from), findNoCase(text, "src="_L1, from)) << from;
            ASSERT_EQ(marks.nextHttp(from), findExact(text, u"http", from)) << from;
        }
    }
}
