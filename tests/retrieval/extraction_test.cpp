#include "retrieval/extraction.h"

#include "documents/documentformat.h"
#include "retrieval/characterreferences.h"
#include "retrieval/replyreader.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

// A plugin of host h whose answer page lists its entries as <li> items of an
// <ol>, with the relevance in a score span and advertisements between
// <!--ad--> and <!--/ad-->.
class Extraction : public ::testing::Test
{
protected:
    Extraction()
    {
        slot.Name = u"alpha"_s;
        slot.Host = u"h"_s;
        slot.BaseUrl = u"http://h/"_s;
        slot.ListStart = u"<ol>"_s;
        slot.ListEnd = u"</ol>"_s;
        slot.ItemStart = u"<li>"_s;
        slot.ItemEnd = u"</li>"_s;
        slot.RelevanceStart = uR"(<span class="score">)"_s;
        slot.RelevanceEnd = u"</span>"_s;
        slot.BannerStart = u"<!--ad-->"_s;
        slot.BannerEnd = u"<!--/ad-->"_s;
    }

    // Feeds the page lines one by one, each ended by CR LF as the reply reader
    // hands them on, and returns the rows they produced.
    QList<ResultRow> feed(const QStringList& lines)
    {
        QList<ResultRow> rows;
        for (const QString& line : lines)
            ProcessLine(slot, state, QString(line + u"\r\n"_s), rows);
        return rows;
    }

    // The row of one entry <li>inner</li> in a list of its own.
    ResultRow entry(const QString& inner)
    {
        const QList<ResultRow> rows = feed({u"<ol><li>"_s + inner + u"</li></ol>"_s});
        EXPECT_EQ(rows.size(), 1);
        return rows.value(0);
    }

    QStringList titles(const QList<ResultRow>& rows)
    {
        QStringList list;
        for (const ResultRow& row : rows)
            list.append(row.title);
        return list;
    }

    PluginSlot slot;
    SlotState state;
};

struct EntryCase
{
    const char16_t* what;
    const char16_t* inner; // the entry between <li> and </li>
    const char16_t* html;  // the same after rewriting
    const char16_t* title;
    const char16_t* site;
};

void expectEntry(const ResultRow& row, const EntryCase& c)
{
    EXPECT_EQ(row.html, u"<li>"_s + QString::fromUtf16(c.html) + u"</li>"_s);
    EXPECT_EQ(row.title, QString::fromUtf16(c.title));
    EXPECT_EQ(row.site, QString::fromUtf16(c.site));
    EXPECT_EQ(row.plugin, u"alpha"_s);
}

} // namespace

TEST_F(Extraction, LinksBecomeAbsoluteAndOpenInTheResultWindow)
{
    const EntryCase cases[] = {
        {u"root-relative link", uR"(<a href="/x.html">Title</a>)",
         uR"(<a href="http://h/x.html" target="_sokuri">Title</a>)", u"Title", u""},
        {u"relative link resolves against the host root", uR"(<a href="x.html">Title</a>)",
         uR"(<a href="http://h/x.html" target="_sokuri">Title</a>)", u"Title", u""},
        {u"absolute link", uR"(<a href="http://aa.bb.cc/p.html">T</a>)",
         uR"(<a href="http://aa.bb.cc/p.html" target="_sokuri">T</a>)", u"T", u"cc.bb.aa"},
        {u"numeric address", uR"(<a href="http://10.1.2.3/">T</a>)",
         uR"(<a href="http://10.1.2.3/" target="_sokuri">T</a>)", u"T", u"10.1.2.3"},
        {u"upper-case tag keeps its own target", uR"(<A HREF="/x" TARGET="main">T</A>)",
         uR"(<A HREF="http://h/x" TARGET="main">T</A>)", u"T", u""},
        {u"unquoted link", u"<a href=/x>T</a>", uR"(<a href=http://h/x target="_sokuri">T</a>)",
         u"T", u""},
        {u"single-quoted link", u"<a href='/x'>T</a>",
         uR"(<a href='http://h/x' target="_sokuri">T</a>)", u"T", u""},
        {u"unquoted link before a quoted attribute", uR"(<a href=x.html title="a/b">T</a>)",
         uR"(<a href=http://h/x.html title="a/b" target="_sokuri">T</a>)", u"T", u""},
        {u"two links", uR"(<a href="/1">One</a> <a href="2">Two</a>)",
         uR"(<a href="http://h/1" target="_sokuri">One</a> <a href="http://h/2" target="_sokuri">Two</a>)",
         u"One", u""},
        {u"port in the title link", uR"(<a href="http://aa.bb.cc:8080/x">T</a>)",
         uR"(<a href="http://aa.bb.cc:8080/x" target="_sokuri">T</a>)", u"T", u"cc.bb.aa"},
        {u"every label reversed", uR"(<a href="http://a.b.c.d.e.f.g.h.i.j.k.l.m/">T</a>)",
         uR"(<a href="http://a.b.c.d.e.f.g.h.i.j.k.l.m/" target="_sokuri">T</a>)", u"T",
         u"m.l.k.j.i.h.g.f.e.d.c.b.a"},
        {u"upper-case scheme gives no site", uR"(<a href="HTTP://aa.bb.cc/">T</a>)",
         uR"(<a href="HTTP://aa.bb.cc/" target="_sokuri">T</a>)", u"T", u""},
        {u"unquoted absolute link", u"<a href=http://aa.bb.cc/x>T</a>",
         uR"(<a href=http://aa.bb.cc/x target="_sokuri">T</a>)", u"T", u"cc.bb.aa"},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.what).toStdString());
        expectEntry(entry(QString::fromUtf16(c.inner)), c);
    }
}

TEST_F(Extraction, LinksThatNameASchemeOrAFragmentStay)
{
    const EntryCase cases[] = {
        {u"https link", uR"(<a href="https://s.example.jp/x">T</a>)",
         uR"(<a href="https://s.example.jp/x" target="_sokuri">T</a>)", u"T", u"jp.example.s"},
        {u"mailto", uR"(<a href="mailto:me@h">Mail</a>)",
         uR"(<a href="mailto:me@h" target="_sokuri">Mail</a>)", u"Mail", u""},
        {u"javascript", uR"x(<a href="javascript:go(1)">Go</a>)x",
         uR"x(<a href="javascript:go(1)" target="_sokuri">Go</a>)x", u"Go", u""},
        {u"scheme in upper case", uR"(<a href="FTP://f.example/x">F</a>)",
         uR"(<a href="FTP://f.example/x" target="_sokuri">F</a>)", u"F", u""},
        {u"fragment", uR"(<a href="#top">Top</a>)", uR"(<a href="#top" target="_sokuri">Top</a>)",
         u"Top", u""},
        {u"host-only link takes the base scheme", uR"(<a href="//cdn.example/x">C</a>)",
         uR"(<a href="http://cdn.example/x" target="_sokuri">C</a>)", u"C", u""},
        {u"a colon after a path character is no scheme", uR"(<a href="a/b:c">P</a>)",
         uR"(<a href="http://h/a/b:c" target="_sokuri">P</a>)", u"P", u""},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.what).toStdString());
        expectEntry(entry(QString::fromUtf16(c.inner)), c);
    }
}

TEST_F(Extraction, LinksFollowTheSchemeAndPortOfTheBaseAddress)
{
    slot.BaseUrl = u"https://h/"_s;
    EXPECT_EQ(entry(uR"(<a href="//cdn.example/x">C</a>)"_s).html,
              uR"(<li><a href="https://cdn.example/x" target="_sokuri">C</a></li>)"_s);
    EXPECT_EQ(entry(uR"(<a href="/x">R</a>)"_s).html,
              uR"(<li><a href="https://h/x" target="_sokuri">R</a></li>)"_s);
    slot.BaseUrl = u"http://h:8080/"_s;
    EXPECT_EQ(
        entry(uR"(<a href="/x">R</a><img src="//i.example/a.gif" alt="">)"_s).html,
        uR"(<li><a href="http://h:8080/x" target="_sokuri">R</a><img src="http://i.example/a.gif" alt=""></li>)"_s);
    // A slot without a base address keeps relative links whole.
    slot.BaseUrl.clear();
    EXPECT_EQ(
        entry(uR"(<a href="/x">R</a> <a href="//c.example/">C</a>)"_s).html,
        uR"(<li><a href="/x" target="_sokuri">R</a> <a href="http://c.example/" target="_sokuri">C</a></li>)"_s);
}

TEST_F(Extraction, ImageSourcesBecomeAbsoluteWhenABlankFollows)
{
    const EntryCase cases[] = {
        {u"source followed by a blank", uR"(<img src="/i.gif" alt="">)",
         uR"(<img src="http://h/i.gif" alt="">)", u"", u""},
        {u"no blank after the source", uR"(<a href="/x">T</a><img src="/i.gif">)",
         uR"(<a href="http://h/x" target="_sokuri">T</a><img src="/i.gif">)", u"T", u""},
        {u"relative source", uR"(<img src="i.gif" alt="">)",
         uR"(<img src="http://h/i.gif" alt="">)", u"", u""},
        {u"absolute source", uR"(<img src="http://i.example/i.gif" alt="">)",
         uR"(<img src="http://i.example/i.gif" alt="">)", u"", u""},
        {u"data source", uR"(<img src="data:image/gif;base64,R0lG" alt="">)",
         uR"(<img src="data:image/gif;base64,R0lG" alt="">)", u"", u""},
        {u"unquoted source", u"<img src=/i.gif alt=x>", u"<img src=http://h/i.gif alt=x>", u"",
         u""},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.what).toStdString());
        expectEntry(entry(QString::fromUtf16(c.inner)), c);
    }
}

TEST_F(Extraction, TitleComesFromTheFirstAnchorWithText)
{
    // The first anchor wraps only an image: title and site come from the next.
    const ResultRow row = entry(
        uR"(<a href="/i"><img src="/t.gif" alt=""></a> <a href="http://aa.bb.cc/">Text</a>)"_s);
    EXPECT_EQ(row.title, u"Text"_s);
    EXPECT_EQ(row.site, u"cc.bb.aa"_s);
    EXPECT_EQ(row.html,
              uR"(<li><a href="http://h/i" target="_sokuri"><img src="http://h/t.gif" alt=""></a> )"
              uR"(<a href="http://aa.bb.cc/" target="_sokuri">Text</a></li>)"_s);

    // Tags, tabs and line breaks inside the anchor are not part of the title;
    // spaces at both ends are trimmed, full-width ones kept.
    const QList<ResultRow> rows =
        feed({u"<ol><li><a href=\"/x\">\t <b>京都</b>"_s, u"  の旅館　</a> 説明</li></ol>"_s});
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].title, u"京都  の旅館　"_s);

    EXPECT_EQ(entry(u"no anchor at all"_s).title, QString());
    EXPECT_EQ(entry(uR"(<a href="/x"><img src="/i.gif" alt=""></a>)"_s).title, QString());
}

// Titles of plain text and titles with what is dropped or decoded in them,
// the special character early, late or in the last characters.
TEST_F(Extraction, TitleTextAsItStandsOrWithItsMarkupDropped)
{
    const struct
    {
        const char16_t* entry;
        const char16_t* title;
    } cases[] = {
        {uR"(<a href="/x">  Kyoto ryokan guide  </a>)", u"Kyoto ryokan guide"},
        {uR"(<a href="/x">A&amp;B</a>)", u"A&B"},
        {uR"(<a href="/x">Kyoto ryokan guide&amp;</a>)", u"Kyoto ryokan guide&"},
        {uR"(<a href="/x">A&amp;B guide</a>)", u"A&B guide"},
        {uR"(<a href="/x">a>b</a>)", u"ab"},
        {uR"(<a href="/x">more > less</a>)", u"more  less"},
        {u"<a href=\"/x\">line\nbreak and\ttab\r</a>", u"linebreak andtab"},
        {u"<a href=\"/x\">\u0001kept</a>", u"\u0001kept"},
        {uR"(<a href="/x">京都の<b>旅館</b></a>)", u"京都の旅館"},
        {uR"(<a href="/x">   </a> <a href="/y">Next</a>)", u"Next"},
        {uR"(<a href="/x"></a><a href="/y">Next</a>)", u"Next"},
        {uR"(<a href=x</a> T</a>)", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(entry(QString::fromUtf16(c.entry)).title, QString::fromUtf16(c.title))
            << QString::fromUtf16(c.entry).toStdString();
}

TEST_F(Extraction, RelevanceIsScaledSoTheFirstEntryShowsHundred)
{
    const auto score = [](const char16_t* figure) -> QString {
        return uR"(<a href="/x">T</a> <span class="score">)"_s + QString::fromUtf16(figure) +
               u"</span>"_s;
    };
    EXPECT_EQ(entry(score(u"80")).relevance, u"100"_s);
    EXPECT_EQ(entry(score(u"40")).relevance, u" 50"_s);
    EXPECT_EQ(entry(score(u"100")).relevance, u"125"_s);

    // A scale of 0.05 has integer part 0, so every entry sets it again.
    state.clear();
    EXPECT_EQ(entry(score(u"2000")).relevance, u"100"_s);
    EXPECT_EQ(entry(score(u"1000")).relevance, u"100"_s);

    // The number is the text's leading decimal number.
    state.clear();
    EXPECT_EQ(entry(score(u" 12.5 pts")).relevance, u"100"_s); // scale 8
    EXPECT_EQ(entry(score(u"+25")).relevance, u"200"_s);
    EXPECT_EQ(entry(score(u"-5")).relevance, u"-39"_s);      // -40 + 0.5
    EXPECT_EQ(entry(score(u"1000")).relevance, u"000"_s);    // 8000: last three digits
    EXPECT_EQ(entry(score(u"score 7")).relevance, u"  0"_s); // no leading number: 0
    EXPECT_EQ(entry(score(u".5")).relevance, u"  4"_s);      // 4.5
    EXPECT_EQ(entry(uR"(<a href="/x">T</a>)"_s).relevance, QString());
}

TEST_F(Extraction, RelevanceWithoutAUsableFirstFigure)
{
    const auto score = [](const QString& figure) -> QString {
        return uR"(<span class="score">)"_s + figure + u"</span>"_s;
    };
    // A first relevance of 0 shows nothing and leaves the scale unset.
    EXPECT_EQ(entry(score(u"0"_s)).relevance, QString());
    EXPECT_EQ(entry(score(u""_s)).relevance, QString());
    EXPECT_EQ(state.RelevanceScale, 0.0f);
    // Too many digits for any scale: no figure either.
    EXPECT_EQ(entry(score(QString(400, u'9'))).relevance, QString());
    EXPECT_EQ(entry(score(u"50"_s)).relevance, u"100"_s);
    EXPECT_EQ(entry(score(u"0"_s)).relevance, u"  0"_s);

    // An end marker that ends inside the start marker leaves no relevance.
    state.clear();
    slot.RelevanceStart = u"<b>"_s;
    slot.RelevanceEnd = u"b>"_s;
    EXPECT_EQ(entry(u"<b>80</b>"_s).relevance, QString());
    // Without a start marker no entry has a relevance.
    slot.RelevanceStart.clear();
    EXPECT_EQ(entry(u"<b>80b>"_s).relevance, QString());
    EXPECT_EQ(state.RelevanceScale, 0.0f);
}

TEST_F(Extraction, BannersAreDroppedWithTheirMarkers)
{
    EXPECT_EQ(entry(uR"(<a href="/x">T</a><!--ad-->BUY<!--/ad--> text)"_s).html,
              uR"(<li><a href="http://h/x" target="_sokuri">T</a> text</li>)"_s);

    // A banner across lines drops the rest of its first line and the start
    // of the line where it ends.
    QList<ResultRow> rows = feed({u"<ol><li>a<!--ad-->x"_s, u"y<!--/ad-->b</li></ol>"_s});
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].html, u"<li>ab</li>"_s);

    // A banner in a later entry of the line belongs to that entry only.
    rows = feed({u"<ol><li>A</li><li>B<!--ad-->x<!--/ad-->C</li></ol>"_s});
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].html, u"<li>A</li>"_s);
    EXPECT_EQ(rows[1].html, u"<li>BC</li>"_s);

    // Without an end marker a banner drops the rest of the page.
    state.clear();
    slot.BannerEnd.clear();
    EXPECT_TRUE(feed({u"<ol><li>a<!--ad-->x</li><li>b</li>"_s, u"<li>c</li></ol>"_s}).isEmpty());
}

TEST_F(Extraction, MarkersOfSeveralListsAndEntriesOnOneLine)
{
    // Nothing counts before the list start. The entry start is looked for
    // before the list end, so an entry after "</ol>" on the same line still
    // counts; the list end takes effect once no entry start follows.
    QList<ResultRow> rows = feed({u"<li>Zero</li><ol><li>One</li></ol>x<li>Two</li></ol>y"_s});
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].html, u"<li>One</li>"_s);
    EXPECT_EQ(rows[1].html, u"<li>Two</li>"_s);
    EXPECT_FALSE(state.InList);
    EXPECT_TRUE(feed({u"<li>late</li>"_s}).isEmpty());

    // A list start, an entry start and an entry end in one pass of a line.
    rows = feed({u"<ol><li>A</li></ol><ol><li>B</li></ol>"_s});
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].html, u"<li>A</li>"_s);
    EXPECT_EQ(rows[1].html, u"<li>B</li>"_s);
    EXPECT_FALSE(state.InList);

    // Many entries on one line, each a row in order.
    QString line = u"<ol>"_s;
    QStringList expected;
    for (int i = 0; i < 2000; ++i) {
        line += u"<li><a href=\"/%1\">E%1</a></li>"_s.arg(i);
        expected.append(u"E%1"_s.arg(i));
    }
    line += u"</ol>"_s;
    EXPECT_EQ(titles(feed({line})), expected);
}

TEST_F(Extraction, EntriesSpanningLines)
{
    const QList<ResultRow> rows = feed({
        u"<html><body><ol>"_s,
        uR"(<li><a href="/x">Long)"_s,
        u"title</a> text"_s,
        u"more</li><li>"_s,
        u"second</li>"_s,
        u"</ol></body></html>"_s,
    });
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(
        rows[0].html,
        u"<li><a href=\"http://h/x\" target=\"_sokuri\">Long\r\ntitle</a> text\r\nmore</li>"_s);
    EXPECT_EQ(rows[0].title, u"Longtitle"_s);
    EXPECT_EQ(rows[1].html, u"<li>\r\nsecond</li>"_s);
    EXPECT_FALSE(state.InList);
    EXPECT_FALSE(state.InItem);
}

TEST_F(Extraction, BaseAddressOfThePage)
{
    feed({uR"(<head><BASE HREF="http://Other.Example:8080/dir/page.html"></head>)"_s});
    EXPECT_EQ(slot.BaseUrl, u"http://other.example:8080/"_s);
    EXPECT_EQ(entry(uR"(<a href="/x">T</a>)"_s).html,
              uR"(<li><a href="http://other.example:8080/x" target="_sokuri">T</a></li>)"_s);

    feed({uR"(<base href="https://s.example/">)"_s});
    EXPECT_EQ(slot.BaseUrl, u"https://s.example/"_s);

    // The first address of the line counts, wherever the base tag is.
    feed({uR"(<a href="http://first.example/">F</a><base href="http://second.example/">)"_s});
    EXPECT_EQ(slot.BaseUrl, u"http://first.example/"_s);

    // Unusable base addresses leave it as it is.
    const QString before = slot.BaseUrl;
    for (const QString& line :
         {uR"(<base href="/dir/">)"_s, uR"(<base href="http://x.example">)"_s,
          uR"(<base href="http://x.example"></head>)"_s, uR"(<base href="http:///">)"_s,
          QString(u"<base href=http://"_s + QString(300, u'a') + u"/>"_s),
          u"<base href=ftp://f/>"_s}) {
        SCOPED_TRACE(line.toStdString());
        feed({line});
        EXPECT_EQ(slot.BaseUrl, before);
    }
}

TEST_F(Extraction, MarkersThatCannotAdvanceEndTheLine)
{
    // An empty ItemEnd never ends an entry: no rows, and every line ends.
    slot.ItemEnd.clear();
    EXPECT_TRUE(feed({u"<ol><li>a</li><li>b</li></ol>"_s, u"<li>c</li>"_s}).isEmpty());

    // Empty list markers: the list is the whole page.
    state.clear();
    slot.ItemEnd = u"</li>"_s;
    slot.ListStart.clear();
    slot.ListEnd.clear();
    EXPECT_EQ(titles(feed({u"x<li><a href=\"/a\">A</a></li>y"_s, u"nothing here"_s,
                           u"<li><a href=\"/b\">B</a></li>"_s})),
              (QStringList{u"A"_s, u"B"_s}));

    // An empty ItemStart starts an entry at once after the list start and
    // after every entry; the open one is not finished by the line's end.
    state.clear();
    slot.ListStart = u"<ol>"_s;
    slot.ItemStart.clear();
    QList<ResultRow> rows = feed({u"<ol>A</li>B</li></ol>"_s});
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].html, u"A</li>"_s);
    EXPECT_EQ(rows[1].html, u"B</li>"_s);
    EXPECT_TRUE(state.InItem);

    // Every marker empty.
    state.clear();
    slot.ListEnd.clear();
    slot.ListStart.clear();
    slot.ItemEnd.clear();
    slot.BannerStart.clear();
    slot.BannerEnd.clear();
    EXPECT_TRUE(feed({u"<li>a</li>"_s, u"b"_s}).isEmpty());

    // The same marker starting and ending entries.
    state.clear();
    slot.ListStart = u"<ol>"_s;
    slot.ItemStart = u"<hr>"_s;
    slot.ItemEnd = u"<hr>"_s;
    rows = feed({u"<ol><hr>a<hr>b"_s});
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].html, u"<hr>"_s);
    EXPECT_EQ(rows[1].html, u"<hr>"_s);
}

TEST_F(Extraction, AnchorWithoutTagEndIsLeftAsItIs)
{
    QString text = uR"(<a href="/x">T</a> and <a href="/y" title)"_s;
    const ResultRow row = ProcessItem(slot, state, text);
    EXPECT_EQ(row.html, uR"(<a href="http://h/x" target="_sokuri">T</a> and <a href="/y" title)"_s);
    EXPECT_EQ(text, row.html);
    EXPECT_EQ(row.title, u"T"_s);

    // An anchor without "</a>" gives no title.
    QString open = uR"(<a href="/y">no end)"_s;
    const ResultRow unfinished = ProcessItem(slot, state, open);
    EXPECT_EQ(unfinished.html, uR"(<a href="http://h/y" target="_sokuri">no end)"_s);
    EXPECT_EQ(unfinished.title, QString());
    EXPECT_EQ(unfinished.site, QString());
}

TEST_F(Extraction, EntryTextIsBounded)
{
    // An entry of exactly the bound is kept; one character more is dropped.
    const QString marks = u"<li></li>"_s;
    const QString filler(MaxItemTextLength - marks.size(), u'x');
    QList<ResultRow> rows = feed({u"<ol><li>"_s + filler + u"</li>"_s});
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].html.size(), MaxItemTextLength);
    EXPECT_TRUE(feed({u"<li>"_s + filler + u"x</li>"_s}).isEmpty());

    // An entry that never ends stays bounded, yields no row, and its rest is
    // not taken for entries; the next entry after its end is a row again.
    state.clear();
    const QString chunk(1000, u'y');
    feed({u"<ol><li>"_s});
    for (int i = 0; i < 1500; ++i) {
        feed({chunk});
        ASSERT_LE(state.ItemText.size(), MaxItemTextLength);
    }
    EXPECT_TRUE(state.InItem);
    rows = feed({u"<b>still inside</b></li><li><a href=\"/n\">Next</a></li></ol>"_s});
    EXPECT_EQ(titles(rows), QStringList{u"Next"_s});
}

// The searches look at several characters a step: markers and tag words must
// be found wherever they fall in a line, near its end included, and near
// misses (same first and last character) must not count.
TEST_F(Extraction, MarkersAndTagWordsAtEveryPositionOfALine)
{
    for (int lead = 0; lead < 40; ++lead) {
        for (const QString& filler : {u"x"_s, u"京"_s}) {
            SCOPED_TRACE(lead);
            const QString before = filler.repeated(lead);
            state.clear();
            slot.BaseUrl = u"http://h/"_s;
            // Decoys: "<l_>" and "</l_>" share the first and last character
            // of the entry markers, "<a hre_=" that of the anchor word.
            const QList<ResultRow> rows =
                feed({before + u"<lx><ol><ly></lo><li><A HREX=\"/n\">no</a>"_s +
                      u"<A HREF=\"/p\">T</A></lx><img SRC=\"/i.gif\" alt=\"\"></li>"_s +
                      filler.repeated(lead % 9) + u"</ol>"_s});
            ASSERT_EQ(rows.size(), 1);
            EXPECT_EQ(rows[0].title, u"T"_s);
            EXPECT_EQ(rows[0].html, u"<li><A HREX=\"/n\">no</a><A HREF=\"http://h/p\" "
                                    u"target=\"_sokuri\">T</A></lx><img SRC=\"http://h/i.gif\" "
                                    u"alt=\"\"></li>"_s);
            EXPECT_FALSE(state.InList);

            // A base address at any position of a long line.
            feed({before + u"<BASE HREF=\"http://b.example/x\">"_s});
            EXPECT_EQ(slot.BaseUrl, u"http://b.example/"_s);
        }
    }
}

TEST_F(Extraction, MarkerEndingTheLine)
{
    // The list end as the very last characters before the line break, for
    // lines of every length around the width of one search step.
    for (int length = 0; length < 40; ++length) {
        SCOPED_TRACE(length);
        state.clear();
        feed({u"<ol><li>e</li>"_s + QString(length, u'y') + u"</ol>"_s});
        EXPECT_FALSE(state.InList);
    }
    // An entry end that is the line's own line break: the last position a
    // marker can start at.
    slot.ListEnd = u"</never>"_s;
    slot.ItemStart = u"<li>"_s;
    slot.ItemEnd = u"\r\n"_s;
    for (int length = 0; length < 40; ++length) {
        SCOPED_TRACE(length);
        state.clear();
        const QString line = u"<ol><li>"_s + QString(length, u'w');
        EXPECT_EQ(feed({line}).value(0).html, QString(line.sliced(4) + u"\r\n"_s));
    }
    // A marker of one character and a marker longer than the line.
    slot.ItemStart = u"["_s;
    slot.ItemEnd = u"]"_s;
    state.clear();
    EXPECT_EQ(feed({u"<ol>"_s + QString(21, u'z') + u"[a]</ol>"_s}).value(0).html, u"[a]"_s);
    slot.ListStart = QString(100, u'<');
    state.clear();
    EXPECT_TRUE(feed({QString(99, u'<')}).isEmpty());
    EXPECT_FALSE(state.InList);
}

// Entries as today's engines write them.

TEST_F(Extraction, AnchorsWithAttributesBeforeHref)
{
    const EntryCase cases[] = {
        {u"attributes before href", uR"(<a class="tilk" rel="nofollow" href="/x">T</a>)",
         uR"(<a class="tilk" rel="nofollow" href="http://h/x" target="_sokuri">T</a>)", u"T", u""},
        {u"own target, any case", uR"(<A target="_blank" HREF='https://aa.bb.jp/p'>T</A>)",
         uR"(<A target="_blank" HREF='https://aa.bb.jp/p'>T</A>)", u"T", u"jp.bb.aa"},
        {u"host-relative", uR"(<a rel="nofollow" class="result__a" href="//x.jp/y">T</a>)",
         uR"(<a rel="nofollow" class="result__a" href="http://x.jp/y" target="_sokuri">T</a>)",
         u"T", u""},
        {u"blanks of any kind", u"<a\n  data-x=\"1\"\thref=\"/z\">T</a>",
         u"<a\n  data-x=\"1\"\thref=\"http://h/z\" target=\"_sokuri\">T</a>", u"T", u""},
        {u"no href, an attribute ending in href, another tag",
         uR"(<a name="top">N</a><a data-href="/d">D</a><abbr href="/b">B</abbr>)",
         uR"(<a name="top">N</a><a data-href="/d">D</a><abbr href="/b">B</abbr>)", u"", u""},
        {u"both forms in one entry", uR"(<a id="i" href="/1">One</a><a href="/2">Two</a>)",
         uR"(<a id="i" href="http://h/1" target="_sokuri">One</a><a href="http://h/2" target="_sokuri">Two</a>)",
         u"One", u""},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.what).toStdString());
        expectEntry(entry(QString::fromUtf16(c.inner)), c);
    }
}

TEST_F(Extraction, TitleStartAndCharacterReferences)
{
    // The site anchor comes first; the title is the anchor after "<h2".
    slot.TitleStart = u"<h2"_s;
    const ResultRow row = entry(
        uR"(<div class="b_tpcn"><a class="tilk" aria-label="Ex" href="https://site.ex.jp/">)"
        uR"(<div>Ex</div><cite>https://site.ex.jp</cite></a></div>)"
        uR"(<h2 class=""><a target="_blank" href="https://www.ex.jp/a">History, Products, &amp; Facts &#187; &#x4EAC;&nbsp;都 &unknown;</a></h2>)"
        uR"(<div class="b_caption"><p>snippet &amp; more</p></div>)"_s);
    EXPECT_EQ(row.title, u"History, Products, & Facts » 京\u00a0都 &unknown;"_s);
    EXPECT_EQ(row.site, u"jp.ex.www"_s);
    // The entry's HTML keeps its references.
    EXPECT_TRUE(row.html.contains(u"&amp; Facts &#187;"_s));

    slot.TitleStart = u"<h3"_s;
    EXPECT_EQ(entry(uR"(<h2><a href="/x">T</a></h2>)"_s).title, QString());

    EXPECT_EQ(DecodeCharacterReferences(u"&quot;a&quot; &lt;&gt; &#0; &#xD800; &#99999999; &amp"),
              u"\"a\" <> \ufffd \ufffd \ufffd &amp"_s);
}

TEST_F(Extraction, RedirectLinksAreUnwrapped)
{
    slot.LinkParam = u"uddg"_s;
    const QString wrapped =
        u"//duckduckgo.com/l/?uddg=https%3A%2F%2Fja.wikipedia.org%2Fwiki%2F%E4%BA%AC%E9%83%BD"
        u"%3Fa%3D1%26b%3D2&amp;rut=abc"_s;
    const ResultRow row = entry(u"<h2><a rel=\"nofollow\" class=\"result__a\" href=\""_s + wrapped +
                                u"\">京都</a></h2><a class=\"result__url\" href=\""_s + wrapped +
                                u"\">ja.wikipedia.org</a><a href=\"/feedback\">F</a>"_s);
    EXPECT_EQ(row.title, u"京都"_s);
    EXPECT_EQ(row.site, u"org.wikipedia.ja"_s);
    EXPECT_EQ(row.html.count(u"href=\"https://ja.wikipedia.org/wiki/京都?a=1&amp;b=2\""_s), 2)
        << row.html.toStdString();
    EXPECT_TRUE(row.html.contains(u"href=\"http://h/feedback\""_s));

    // Only web addresses are unwrapped.
    EXPECT_EQ(
        entry(uR"x(<a href="/l/?uddg=javascript%3Aalert(1)">T</a>)x"_s).html,
        uR"x(<li><a href="http://h/l/?uddg=javascript%3Aalert(1)" target="_sokuri">T</a></li>)x"_s);
}

TEST_F(Extraction, OneLongLineOfEntries)
{
    // 50 entries on one line of about 1 MiB, as engines send whole lists.
    QString page = u"<html><body><ol>"_s;
    for (int i = 0; i < 50; ++i) {
        page += u"<li><h2><a href=\"https://e%1.jp/\">結果 %1</a></h2><p>"_s.arg(i) +
                QString(20000, u'x') + u"</p></li>"_s;
    }
    page += u"</ol></body></html>\r\n"_s;
    ASSERT_GT(page.toUtf8().size(), 1000000);
    slot.ResultCharset = u"utf-8"_s;
    QList<ResultRow> rows;
    ReadReplyBytes(slot, state, page.toUtf8(), rows);
    ASSERT_EQ(rows.size(), 50);
    EXPECT_EQ(rows[49].title, u"結果 49"_s);
    EXPECT_EQ(rows[49].site, u"jp.e49"_s);
}

TEST_F(Extraction, FeedEntries)
{
    slot.Feed = true;
    slot.ResultCharset = u"utf-8"_s;
    struct FeedCase
    {
        const char* what;
        const char16_t* markers[4]; // ListStart, ItemStart, ItemEnd, ListEnd
        QString page;
        QStringList titles;
        QStringList sites;
    };
    const FeedCase cases[] = {
        {"RSS 2.0",
         {u"<channel>", u"<item>", u"</item>", u"</channel>"},
         uR"(<?xml version="1.0"?><rss version="2.0" xmlns:dc="http://purl.org/dc/elements/1.1/"><channel><title>NDL</title>
<item>
<title>京都の歴史 &amp; 文化</title>
<link>https://ndlsearch.ndl.go.jp/books/R1</link>
<description><![CDATA[<p>京都の<b>寺</b> &amp; 町</p>]]></description>
<dc:title>別の題</dc:title>
</item>
<item><dc:title>題だけ</dc:title><link> /books/R2 </link></item>
</channel></rss>
)"_s,
         {u"京都の歴史 & 文化"_s, u"題だけ"_s},
         {u"jp.go.ndl.ndlsearch"_s, u"h"_s}},
        {"RSS 1.0",
         {u"<rdf:RDF", u"<item ", u"</item>", u"</rdf:RDF>"},
         uR"(<rdf:RDF xmlns="http://purl.org/rss/1.0/" xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
<item rdf:about="https://cir.nii.ac.jp/crid/1"><dc:title>x</dc:title><title>論文 1</title><description>&lt;b&gt;要旨&lt;/b&gt; です</description></item>
<item rdf:about="https://cir.nii.ac.jp/crid/2"><title><![CDATA[論文 <2>]]></title></item>
</rdf:RDF>
)"_s,
         {u"論文 1"_s, u"論文 <2>"_s},
         {u"jp.ac.nii.cir"_s, u"jp.ac.nii.cir"_s}},
        {"Atom",
         {u"<feed", u"<entry>", u"</entry>", u"</feed>"},
         uR"(<feed xmlns="http://www.w3.org/2005/Atom"><title>arXiv</title>
<entry><id>http://arxiv.org/abs/1</id><title>Deep
    Learning  for 日本語</title><summary>An abstract.</summary>
<link title="pdf" href="http://arxiv.org/pdf/1" rel="related"/>
<link href="http://arxiv.org/abs/1v1" rel="alternate" type="text/html"/></entry>
<entry><title type="html">&lt;i&gt;Only&lt;/i&gt; an id</title><id>https://example.org/2</id><link rel="self" href="javascript:x"/></entry>
</feed>
)"_s,
         {u"Deep Learning for 日本語"_s, u"Only an id"_s},
         {u"org.arxiv"_s, u"org.example"_s}},
    };
    for (const FeedCase& c : cases) {
        SCOPED_TRACE(c.what);
        slot.ListStart = QString::fromUtf16(c.markers[0]);
        slot.ListEnd = QString::fromUtf16(c.markers[3]);
        slot.ItemStart = QString::fromUtf16(c.markers[1]);
        slot.ItemEnd = QString::fromUtf16(c.markers[2]);
        slot.BaseUrl = u"https://h/"_s;
        state = SlotState();
        QList<ResultRow> rows;
        ReadReplyBytes(slot, state, c.page.toUtf8(), rows);
        ASSERT_EQ(rows.size(), c.titles.size()) << c.page.toStdString();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].title, c.titles[i]);
            EXPECT_EQ(rows[i].site, c.sites[i]);
        }

        // The rows survive a document written and read again.
        Document document;
        document.rows = rows;
        QByteArray bytes;
        ASSERT_TRUE(EncodeDocument(document, bytes));
        Document again;
        ASSERT_TRUE(DecodeDocument(bytes, again));
        EXPECT_EQ(again.rows, rows);
    }

    // The viewer's page: the title linking to the address, then the text,
    // everything escaped; only web addresses become links.
    slot.ListStart = u"<ol>"_s;
    slot.ListEnd = u"</ol>"_s;
    slot.ItemStart = u"<item>"_s;
    slot.ItemEnd = u"</item>"_s;
    EXPECT_EQ(
        entry(
            uR"(<item><title>A &lt; B</title><link>https://x.jp/?a=1&amp;b="2"</link><description>&lt;p&gt;First&lt;/p&gt;&lt;p&gt;second &amp;amp; third&lt;/p&gt;</description></item>)"_s)
            .html,
        uR"(<p><a href="https://x.jp/?a=1&amp;b=&quot;2&quot;" target="_sokuri">A &lt; B</a></p><p>First second &amp; third</p>)"_s);
    const ResultRow unsafe =
        entry(uR"x(<item><title>T</title><link>javascript:alert(1)</link></item>)x"_s);
    EXPECT_EQ(unsafe.html, u"<p><b>T</b></p>"_s);
    EXPECT_EQ(unsafe.site, QString());
}
