// Entries as today's engines write them: anchors with attributes before
// href, titles further into the entry, character references, redirect links
// and RSS or Atom feeds.

#include "documents/documentformat.h"
#include "retrieval/characterreferences.h"
#include "retrieval/extraction.h"
#include "retrieval/replyreader.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

class WebEntries : public ::testing::Test
{
public:
    WebEntries()
    {
        slot.Name = u"web"_s;
        slot.BaseUrl = u"https://h/"_s;
        slot.ResultCharset = u"utf-8"_s;
        slot.ListStart = u"<ol>"_s;
        slot.ListEnd = u"</ol>"_s;
        slot.ItemStart = u"<li"_s;
        slot.ItemEnd = u"</li>"_s;
    }

    QList<ResultRow> read(const QString& page)
    {
        QList<ResultRow> rows;
        ReadReplyBytes(slot, state, page.toUtf8(), rows);
        return rows;
    }

    ResultRow entry(const QString& inner)
    {
        const QList<ResultRow> rows = read(u"<ol><li>"_s + inner + u"</li></ol>\n"_s);
        EXPECT_EQ(rows.size(), 1);
        return rows.value(0);
    }

    PluginSlot slot;
    SlotState state;
};

struct Case
{
    const char16_t* inner;
    const char16_t* html; // after rewriting, without the <li> around it
    const char16_t* title;
    const char16_t* site;
};

void expectCases(WebEntries& test, std::initializer_list<Case> cases,
                 ResultRow (WebEntries::*entry)(const QString&))
{
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.inner).toStdString());
        const ResultRow row = (test.*entry)(QString::fromUtf16(c.inner));
        EXPECT_EQ(row.html, u"<li>"_s + QString::fromUtf16(c.html) + u"</li>"_s);
        EXPECT_EQ(row.title, QString::fromUtf16(c.title));
        EXPECT_EQ(row.site, QString::fromUtf16(c.site));
    }
}

} // namespace

TEST_F(WebEntries, AnchorsWithAttributesBeforeHref)
{
    expectCases(
        *this,
        {
            {uR"(<a class="tilk" rel="nofollow" href="/x">T</a>)",
             uR"(<a class="tilk" rel="nofollow" href="https://h/x" target="_sokuri">T</a>)", u"T",
             u""},
            {uR"(<A target="_blank" HREF='https://aa.bb.jp/p'>T</A>)",
             uR"(<A target="_blank" HREF='https://aa.bb.jp/p'>T</A>)", u"T", u"jp.bb.aa"},
            {uR"(<a rel="nofollow" class="result__a" href="//x.jp/y">T</a>)",
             uR"(<a rel="nofollow" class="result__a" href="https://x.jp/y" target="_sokuri">T</a>)",
             u"T", u""},
            {u"<a\n  data-x=\"1\"\thref=\"/z\">T</a>",
             u"<a\r\n  data-x=\"1\"\thref=\"https://h/z\" target=\"_sokuri\">T</a>", u"T", u""},
            // Not anchors: no href, an attribute that only ends in "href", other tags.
            {uR"(<a name="top">N</a><a data-href="/d">D</a><abbr href="/b">B</abbr>)",
             uR"(<a name="top">N</a><a data-href="/d">D</a><abbr href="/b">B</abbr>)", u"", u""},
            // The literal form is found as before, whatever precedes it.
            {uR"(<a id="i" href="/1">One</a><a href="/2">Two</a>)",
             uR"(<a id="i" href="https://h/1" target="_sokuri">One</a><a href="https://h/2" target="_sokuri">Two</a>)",
             u"One", u""},
        },
        &WebEntries::entry);
}

TEST_F(WebEntries, TitleStartAndCharacterReferences)
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

TEST_F(WebEntries, RedirectLinksAreUnwrapped)
{
    slot.LinkParam = u"uddg"_s;
    const ResultRow row = entry(
        uR"(<h2 class="result__title"><a rel="nofollow" class="result__a" href="//duckduckgo.com/l/?uddg=https%3A%2F%2Fja.wikipedia.org%2Fwiki%2F%E4%BA%AC%E9%83%BD%3Fa%3D1%26b%3D2&amp;rut=abc">京都</a></h2>)"
        uR"(<a class="result__url" href="//duckduckgo.com/l/?uddg=https%3A%2F%2Fja.wikipedia.org%2Fwiki%2F%E4%BA%AC%E9%83%BD%3Fa%3D1%26b%3D2&amp;rut=abc">ja.wikipedia.org</a>)"
        uR"(<a href="/feedback">F</a>)"_s);
    EXPECT_EQ(row.title, u"京都"_s);
    EXPECT_EQ(row.site, u"org.wikipedia.ja"_s);
    EXPECT_EQ(row.html.count(u"href=\"https://ja.wikipedia.org/wiki/京都?a=1&amp;b=2\""_s), 2)
        << row.html.toStdString();
    EXPECT_TRUE(row.html.contains(u"href=\"https://h/feedback\""_s));

    // Only web addresses are unwrapped.
    const ResultRow unsafe = entry(uR"x(<a href="/l/?uddg=javascript%3Aalert(1)">T</a>)x"_s);
    EXPECT_EQ(
        unsafe.html,
        uR"x(<li><a href="https://h/l/?uddg=javascript%3Aalert(1)" target="_sokuri">T</a></li>)x"_s);
}

TEST_F(WebEntries, OneLongLineOfEntries)
{
    // 50 entries on one line of about 1 MiB, as engines send whole lists.
    QString page = u"<html><body><ol>"_s;
    for (int i = 0; i < 50; ++i) {
        page +=
            u"<li class=\"b_algo\"><h2><a href=\"https://e%1.jp/\">結果 %1</a></h2><p>"_s.arg(i) +
            QString(20000, u'x') + u"</p></li>"_s;
    }
    page += u"</ol></body></html>\r\n"_s;
    ASSERT_GT(page.toUtf8().size(), 1000000);
    const QList<ResultRow> rows = read(page);
    ASSERT_EQ(rows.size(), 50);
    EXPECT_EQ(rows[49].title, u"結果 49"_s);
    EXPECT_EQ(rows[49].site, u"jp.e49"_s);
}

TEST_F(WebEntries, FeedEntries)
{
    slot.Feed = true;
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
        state = SlotState();
        const QList<ResultRow> rows = read(c.page);
        ASSERT_EQ(rows.size(), c.titles.size()) << c.page.toStdString();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].title, c.titles[i]);
            EXPECT_EQ(rows[i].site, c.sites[i]);
            // The viewer's page links the title to the address.
            EXPECT_TRUE(
                rows[i].html.contains(u"target=\"_sokuri\">"_s + c.titles[i].toHtmlEscaped()))
                << rows[i].html.toStdString();
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
}

TEST_F(WebEntries, FeedPageShowsTheTextAndKeepsOnlyWebAddresses)
{
    slot.Feed = true;
    slot.ItemStart = u"<item>"_s;
    slot.ItemEnd = u"</item>"_s;
    const ResultRow row = entry(
        uR"(<item><title>A &lt; B</title><link>https://x.jp/?a=1&amp;b="2"</link><description>&lt;p&gt;First&lt;/p&gt;&lt;p&gt;second &amp;amp; third&lt;/p&gt;</description></item>)"_s);
    EXPECT_EQ(
        row.html,
        uR"(<p><a href="https://x.jp/?a=1&amp;b=&quot;2&quot;" target="_sokuri">A &lt; B</a></p><p>First second &amp; third</p>)"_s);
    const ResultRow unsafe =
        entry(uR"x(<item><title>T</title><link>javascript:alert(1)</link></item>)x"_s);
    EXPECT_EQ(unsafe.html, u"<p><b>T</b></p>"_s);
    EXPECT_EQ(unsafe.site, QString());
}
