#include "searchplugins/opensearchimport.h"

#include "encoding/codepage932.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

// The description of the National Diet Library's search, as it publishes it:
// an RSS template with optional paging and an HTML template.
const QByteArray NdlDescription = R"(<?xml version="1.0" encoding="UTF-8"?>
<OpenSearchDescription>
  <ShortName>国立国会図書館サーチ</ShortName>
  <Description>国立国会図書館サーチの検索結果を RSS で返します。</Description>
  <InputEncoding>UTF-8</InputEncoding>
  <OutputEncoding>UTF-8</OutputEncoding>
  <Url type="text/html" template="https://ndlsearch.ndl.go.jp/search?cs=bib&amp;keyword={searchTerms}"/>
  <Url type="application/rss+xml"
       template="https://ndlsearch.ndl.go.jp/api/opensearch?any={searchTerms}&amp;cnt={count?}&amp;idx={startIndex?}"/>
</OpenSearchDescription>
)";

// An Atom service in the manner of the preprint archives: required paging
// parameters with an index offset of 0, a fixed parameter, and elements
// named with a namespace prefix.
const QByteArray AtomDescription = R"(<?xml version="1.0"?>
<os:OpenSearchDescription xmlns:os="urn:example:descriptions">
  <os:ShortName>Preprints/Atom..</os:ShortName>
  <os:Description>Search the preprints.</os:Description>
  <os:Url type="application/atom+xml" indexOffset="0" rel="results"
      template="http://export.example.org:8080/api/query?search_query={searchTerms}&amp;start={startIndex}&amp;max_results={count}&amp;sortBy=relevance&amp;lang={language?}"/>
  <os:Url type="application/opensearchdescription+xml" rel="self"
      template="http://export.example.org/opensearch.xml"/>
</os:OpenSearchDescription>
)";

QByteArray description(const QString& urls, const QString& extra = {})
{
    return (u"<OpenSearchDescription><ShortName>x</ShortName>"_s + extra + urls +
            u"</OpenSearchDescription>"_s)
        .toUtf8();
}

} // namespace

TEST(OpenSearchImport, MakesAFeedPluginFromAnRssOrAtomTemplate)
{
    const struct
    {
        QByteArray description;
        QString source;
        QString name;
        QString ini;
    } cases[] = {
        {NdlDescription, u"https://ndlsearch.ndl.go.jp/opensearch.xml"_s, u"国立国会図書館サーチ"_s,
         u"; 国立国会図書館サーチの検索結果を RSS で返します。\r\n"
         u"; OpenSearch: https://ndlsearch.ndl.go.jp/opensearch.xml\r\n"
         u"[init]\r\nname=国立国会図書館サーチ\r\nurl=https://ndlsearch.ndl.go.jp/\r\n"
         u"[search]\r\naction=https://ndlsearch.ndl.go.jp/api/opensearch\r\nmethod=GET\r\n"
         u"charset=utf-8\r\ninpcount=1\r\ninp01=<input type=\"text\" name=\"any\" user>\r\n"
         u"[result]\r\ncharset=utf-8\r\nformat=feed\r\n"
         u"ListStart=<channel\r\nListEnd=</rss>\r\nItemStart=<item\r\nItemEnd=</item>\r\n"_s},
        {AtomDescription, u"/home/user/preprints.xml"_s, u"Preprints_Atom."_s,
         u"; Search the preprints.\r\n; OpenSearch: /home/user/preprints.xml\r\n"
         u"[init]\r\nname=Preprints_Atom.\r\nurl=http://export.example.org:8080/\r\n"
         u"[search]\r\naction=http://export.example.org:8080/api/query\r\nmethod=GET\r\n"
         u"charset=utf-8\r\ninpcount=4\r\n"
         u"inp01=<input type=\"text\" name=\"search_query\" user>\r\n"
         u"inp02=<input type=\"hidden\" name=\"start\" value=\"0\">\r\n"
         u"inp03=<input type=\"hidden\" name=\"max_results\" value=\"20\">\r\n"
         u"inp04=<input type=\"hidden\" name=\"sortBy\" value=\"relevance\">\r\n"
         u"[result]\r\ncharset=utf-8\r\nformat=feed\r\n"
         u"ListStart=<feed\r\nListEnd=</feed>\r\nItemStart=<entry\r\nItemEnd=</entry>\r\n"_s},
        // Shift_JIS queries, a POST template with its parameters as elements.
        {description(u"<Url type=\"application/rss+xml\" method=\"post\" "
                     u"template=\"https://s.example/find\"><Parameter name=\"q\" "
                     u"value=\"{searchTerms}\"/><Parameter name=\"p\" value=\"{startPage}\"/>"
                     u"</Url>"_s,
                     u"<InputEncoding>Shift_JIS</InputEncoding>"_s),
         u"https://s.example/os.xml"_s, u"x"_s,
         u"; OpenSearch: https://s.example/os.xml\r\n"
         u"[init]\r\nname=x\r\nurl=https://s.example/\r\n"
         u"[search]\r\naction=https://s.example/find\r\nmethod=POST\r\ncharset=shift_jis\r\n"
         u"inpcount=2\r\ninp01=<input type=\"text\" name=\"q\" user>\r\n"
         u"inp02=<input type=\"hidden\" name=\"p\" value=\"1\">\r\n"
         u"[result]\r\ncharset=utf-8\r\nformat=feed\r\n"
         u"ListStart=<channel\r\nListEnd=</rss>\r\nItemStart=<item\r\nItemEnd=</item>\r\n"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const OpenSearchImport made = ImportOpenSearch(c.description, c.source);
        ASSERT_TRUE(made.ok()) << made.errorText.toStdString();
        EXPECT_EQ(made.name, c.name);
        EXPECT_EQ(cp932::decode(made.bytes), c.ini);
        EXPECT_EQ(made.bytes, cp932::encode(c.ini));
    }
}

TEST(OpenSearchImport, RefusesWhatNoFeedPluginCanDoWithTheReason)
{
    const QString rss = u"<Url type=\"application/rss+xml\" template=\"%1\"/>"_s;
    QString many = u"http://h.example/api?q={searchTerms}"_s;
    for (int i = 0; i < 99; ++i)
        many += u"&amp;p%1=1"_s.arg(i);
    const struct
    {
        QByteArray description;
        QString reason;
    } cases[] = {
        {description(
             u"<Url type=\"text/html\" template=\"https://h.example/?q={searchTerms}\"/>"_s),
         u"HTML の検索結果のテンプレートしかありません"_s},
        // A key the service hands out: nothing to fill it with.
        {description(rss.arg(u"http://h.example/os?q={searchTerms}&amp;wskey={wcapi:wskey}&amp;"
                             u"cformat={wcapi:cformat?}"_s)),
         u"必須の引数 {wcapi:wskey} に入れる値がありません"_s},
        {description(rss.arg(u"http://h.example/search/{searchTerms}/rss"_s)),
         u"キーワードがアドレスのパスにあります"_s},
        {description(rss.arg(u"http://h.example/api?search_query=all:{searchTerms}"_s)),
         u"キーワードの前後に文字が付く引数"_s},
        {description(rss.arg(many)), u"引数が多すぎます"_s},
        // A line break would write lines of the description's own making.
        {description(rss.arg(u"http://h.example/api?q={searchTerms}&amp;x=1%0D%0A[result]"_s)),
         u"は入力行に書けません"_s},
        {description(rss.arg(u"http://h.example/api?format=rss"_s)),
         u"{searchTerms} の引数がありません"_s},
        {description(rss.arg(u"ftp://h.example/api?q={searchTerms}"_s)),
         u"http: か https: のアドレスではありません"_s},
        {description(rss.arg(u"http://h.example/api?q={searchTerms}"_s),
                     u"<InputEncoding>EUC-JP</InputEncoding>"_s),
         u"クエリの文字コード EUC-JP には対応していません"_s},
        {"<html><head><title>x</title></head></html>", u"OpenSearch の記述文書ではありません"_s},
        {"<OpenSearchDescription><ShortName>x</Short", u"XML として読めません"_s},
        {description(rss.arg(u"http://h.example/api?q={searchTerms}"_s))
             .replace("<ShortName>x</ShortName>", "<ShortName>  </ShortName>"),
         u"ShortName からプラグイン名を作れません"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        const OpenSearchImport made = ImportOpenSearch(c.description, u"d.xml"_s);
        EXPECT_FALSE(made.ok());
        EXPECT_TRUE(made.errorText.contains(c.reason)) << made.errorText.toStdString();
        EXPECT_TRUE(made.bytes.isEmpty());
    }
}
