#include "searchplugins/buildrequest.h"

#include "support/testfiles.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::TempAppDir;
using sokuri::test::writeSjisFile;

namespace {

class Request : public ::testing::Test
{
protected:
    // Writes plugins/alpha.ini with the given search section lines.
    void plugin(const QString& searchLines, const QString& resultLines = u""_s)
    {
        writeSjisFile(paths.PluginPath + u"/alpha.ini",
                      u"[init]\r\nname=alpha\r\nurl=http://h/\r\n[search]\r\n"_s + searchLines +
                          u"[result]\r\n"_s + resultLines);
    }

    PluginSlot build(QString keywords = u"京都 旅館"_s, bool* usable = nullptr)
    {
        PluginSlot slot;
        const bool ok = BuildRequest(paths, u"alpha"_s, keywords, slot, &reason);
        if (usable)
            *usable = ok;
        return slot;
    }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    QString reason;
};

const QString WorkedExample = u"action=http://search.example.jp/s\r\nmethod=GET\r\n"
                              u"inpcount=2\r\n"
                              u"inp01=<input type=\"hidden\" name=\"lang\" value=\"ja\">\r\n"
                              u"inp02=<input type=\"text\" name=\"q\" user>\r\n"_s;

} // namespace

TEST_F(Request, WorkedExample)
{
    plugin(WorkedExample,
           u"charset=X-EUC-JP\r\nListStart=<ol>\r\nListEnd=</ol>\r\n"
           u"ItemStart=<li>\r\nItemEnd=</li>\r\nRelevanceStart=[\r\n"
           u"RelevanceEnd=%]\r\nBannerStart=<!--ad-->\r\nBannerEND=<!--/ad-->\r\n"_s);
    QString keywords = u"京都 旅館"_s;
    PluginSlot slot;
    ASSERT_TRUE(BuildRequest(paths, u"alpha"_s, keywords, slot));
    EXPECT_EQ(keywords, u"京都+旅館");
    EXPECT_EQ(slot.Name, u"alpha");
    EXPECT_EQ(slot.Scheme, u"http");
    EXPECT_EQ(slot.Host, u"search.example.jp");
    EXPECT_EQ(slot.Port, 80);
    EXPECT_EQ(slot.Path, u"/s");
    EXPECT_EQ(slot.Method, u"GET");
    EXPECT_EQ(slot.Query, u"lang=ja&q=%8B%9E%93s+%97%B7%8A%D9");
    EXPECT_EQ(slot.ResultCharset, u"x-euc-jp");
    EXPECT_EQ(slot.ListStart, u"<ol>");
    EXPECT_EQ(slot.ListEnd, u"</ol>");
    EXPECT_EQ(slot.ItemStart, u"<li>");
    EXPECT_EQ(slot.ItemEnd, u"</li>");
    EXPECT_EQ(slot.RelevanceStart, u"[");
    EXPECT_EQ(slot.RelevanceEnd, u"%]");
    EXPECT_EQ(slot.BannerStart, u"<!--ad-->");
    EXPECT_EQ(slot.BannerEnd, u"<!--/ad-->");
    EXPECT_EQ(slot.BaseUrl, u"http://search.example.jp/");

    // The changed keyword string gives the next plugin the same query.
    PluginSlot again;
    ASSERT_TRUE(BuildRequest(paths, u"alpha"_s, keywords, again));
    EXPECT_EQ(again.Query, slot.Query);
}

TEST_F(Request, ActionSplit)
{
    plugin(u"action=http://h:8080/cgi/s\r\n"_s);
    PluginSlot slot = build();
    EXPECT_EQ(slot.Host, u"h");
    EXPECT_EQ(slot.Port, 8080);
    EXPECT_EQ(slot.Path, u"/cgi/s");
    EXPECT_EQ(slot.BaseUrl, u"http://h:8080/"); // the port is kept for relative links

    plugin(u"action=http://h/cgi/s?x=1\r\n"_s);
    slot = build();
    EXPECT_EQ(slot.Path, u"/cgi/s?x=1");
    EXPECT_EQ(slot.BaseUrl, u"http://h/");

    plugin(u"action=http://h:80/s\r\n"_s);
    EXPECT_EQ(build().BaseUrl, u"http://h/");

    plugin(u"action=http://h:8o/s\r\n"_s); // leading digits only
    EXPECT_EQ(build().Port, 8);
}

TEST_F(Request, HttpsActions)
{
    plugin(u"action=https://secure.example/find\r\n"_s);
    PluginSlot slot = build();
    EXPECT_EQ(slot.Scheme, u"https");
    EXPECT_EQ(slot.Host, u"secure.example");
    EXPECT_EQ(slot.Port, 443);
    EXPECT_EQ(slot.BaseUrl, u"https://secure.example/");

    plugin(u"action=https://secure.example:8443/find\r\n"_s);
    slot = build();
    EXPECT_EQ(slot.Port, 8443);
    EXPECT_EQ(slot.BaseUrl, u"https://secure.example:8443/");
}

TEST_F(Request, UnusableActionsSkipThePlugin)
{
    const QStringList unusable = {
        u"action=http://h\r\n"_s,
        u"action=\r\n"_s,
        u"action=http://h:0/s\r\n"_s,
        u"action=http://h:65536/s\r\n"_s,
        u"action=http://h:999999999/s\r\n"_s,
        u"action=http://:80/s\r\n"_s,
        u"action=http:///s\r\n"_s,
    };
    for (const QString& action : unusable) {
        plugin(action);
        bool usable = true;
        build(u"k"_s, &usable);
        EXPECT_FALSE(usable) << action.toStdString();
        EXPECT_FALSE(reason.isEmpty());
    }
    plugin(u"action=http://h:65535/s\r\n"_s);
    bool usable = false;
    build(u"k"_s, &usable);
    EXPECT_TRUE(usable);

    // A plugin whose file is gone has no action either.
    PluginSlot slot;
    QString keywords = u"k"_s;
    EXPECT_FALSE(BuildRequest(paths, u"missing"_s, keywords, slot));
}

TEST_F(Request, ActionWithoutSchemeTakesTheHostFromTheSeventhCharacter)
{
    plugin(u"action=ftp://host/s\r\n"_s);
    const PluginSlot slot = build();
    EXPECT_EQ(slot.Host, u"host");
    EXPECT_EQ(slot.Path, u"/s");
}

TEST_F(Request, InputLines)
{
    plugin(u"action=http://h/s\r\ninpcount=0\r\ninp01=<input name=a value=1>\r\n"_s);
    EXPECT_EQ(build().Query, u"");

    plugin(u"action=http://h/s\r\ninpcount=1\r\ninp01=<input name=q user>\r\n"_s);
    EXPECT_EQ(build().Query, u"q=%8B%9E%93s+%97%B7%8A%D9");

    plugin(u"action=http://h/s\r\ninpcount=3\r\ninp01=<input name=a value=1>\r\n"
           u"inp03=<input name=c value=3>\r\n"_s);
    EXPECT_EQ(build().Query, u"a=1&=&c=3");

    // Keys are "inp" and two digits; inp1 is never read.
    plugin(u"action=http://h/s\r\ninpcount=1\r\ninp1=<input name=a value=1>\r\n"_s);
    EXPECT_EQ(build().Query, u"=");

    // Names and values are found whatever their case and keep their own.
    plugin(u"action=http://h/s\r\ninpcount=1\r\ninp01=<INPUT NAME=\"Lang\" VALUE=\"Ja\">\r\n"_s);
    EXPECT_EQ(build().Query, u"Lang=Ja");
}

TEST_F(Request, KeywordsAreCutAtAQuoteOrAngleBracket)
{
    plugin(u"action=http://h/s\r\ninpcount=1\r\ninp01=<input name=\"q\" user>\r\n"_s);
    EXPECT_EQ(build(u"say \"hi\" there"_s).Query, u"q=say+");
    EXPECT_EQ(build(u"a>b"_s).Query, u"q=a");
    EXPECT_EQ(build(u"a&b=c 50%"_s).Query, u"q=a%26b%3Dc+50%");
}

TEST_F(Request, QuoteFlagIsSharedByTheNameAndValueScans)
{
    // The name opens a quote that never closes before the blank, so the value
    // scan starts with the flag on and its first quote ends it at once.
    plugin(u"action=http://h/s\r\ninpcount=1\r\ninp01=<input name=\"q value=\"x\">\r\n"_s);
    EXPECT_EQ(build().Query, u"q=");
}

TEST_F(Request, InputLineCount)
{
    plugin(u"action=http://h/s\r\ninpcount=abc\r\ninp01=<input name=a value=1>\r\n"_s);
    EXPECT_EQ(build().Query, u"");
    plugin(u"action=http://h/s\r\ninpcount=\r\ninp01=<input name=a value=1>\r\n"_s);
    EXPECT_EQ(build().Query, u"");
    plugin(u"action=http://h/s\r\ninpcount=-3\r\ninp01=<input name=a value=1>\r\n"_s);
    EXPECT_EQ(build().Query, u"");

    // The hundredth line is read from "inp00".
    QString lines = u"action=http://h/s\r\ninpcount=100\r\ninp00=<input name=last value=x>\r\n"_s;
    plugin(lines);
    const QString query = build().Query;
    EXPECT_TRUE(query.endsWith(u"&last=x"));
    EXPECT_EQ(query.count(u'&'), 99);
}

TEST_F(Request, Utf8QueryCharset)
{
    plugin(u"action=http://h/s\r\ncharset=UTF-8\r\ninpcount=1\r\ninp01=<input name=q user>\r\n"_s);
    EXPECT_EQ(build(u"京都"_s).Query, u"q=%E4%BA%AC%E9%83%BD");
    plugin(
        u"action=http://h/s\r\ncharset=x-euc-jp\r\ninpcount=1\r\ninp01=<input name=q user>\r\n"_s);
    EXPECT_EQ(build(u"京都"_s).Query, u"q=%8B%9E%93s");
}

TEST_F(Request, EveryFieldIsOverwritten)
{
    plugin(WorkedExample, u"charset=x-sjis\r\nListStart=<ol>\r\n"_s);
    PluginSlot slot = build();
    plugin(u"action=http://other/x\r\n"_s);
    QString keywords = u"k"_s;
    ASSERT_TRUE(BuildRequest(paths, u"alpha"_s, keywords, slot));
    EXPECT_EQ(slot.Query, u"");
    EXPECT_EQ(slot.Method, u"");
    EXPECT_EQ(slot.ResultCharset, u"");
    EXPECT_EQ(slot.ListStart, u"");
    EXPECT_EQ(slot.Host, u"other");
}

TEST_F(Request, HeaderLinesAndExtractionOptions)
{
    // Without keys: the program's own User-Agent, no other lines, HTML.
    plugin(u"action=http://h/s\r\n"_s);
    PluginSlot slot = build();
    EXPECT_EQ(slot.UserAgent, u"Sokuri/" SOKURI_VERSION_TEXT);
    EXPECT_TRUE(slot.Headers.isEmpty());
    EXPECT_FALSE(slot.Feed);

    plugin(u"action=http://h/s\r\nuseragent= Mozilla/5.0 (X11) \r\nheadercount=3\r\n"
           u"header01=Accept-Language: ja\r\nheader02=\r\nheader03=Accept: text/html\r\n"_s,
           u"TitleStart=<h2\r\nLinkParam= uddg \r\nformat=Feed\r\n"_s);
    bool usable = false;
    slot = build(u"k"_s, &usable);
    EXPECT_TRUE(usable);
    EXPECT_EQ(slot.UserAgent, u"Mozilla/5.0 (X11)");
    EXPECT_EQ(slot.Headers, QStringList({u"Accept-Language: ja"_s, u"Accept: text/html"_s}));
    EXPECT_EQ(slot.TitleStart, u"<h2");
    EXPECT_EQ(slot.LinkParam, u"uddg");
    EXPECT_TRUE(slot.Feed);

    // A control character (a line break ends the value in the file already)
    // or a line that is no header skips the plugin: nothing is sent.
    const QStringList refused = {
        u"headercount=1\r\nheader01=X-A: 1\vX-B: 2\r\n"_s,
        u"headercount=1\r\nheader01=no colon\r\n"_s,
        u"headercount=1\r\nheader01=: empty name\r\n"_s,
        u"headercount=1\r\nheader01=Bad Name: 1\r\n"_s,
        u"useragent=a\x01b\r\n"_s,
    };
    for (const QString& lines : refused) {
        plugin(u"action=http://h/s\r\n"_s + lines);
        usable = true;
        build(u"k"_s, &usable);
        EXPECT_FALSE(usable) << lines.toStdString();
        EXPECT_FALSE(reason.isEmpty());
    }
}
