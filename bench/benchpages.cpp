#include "benchpages.h"

#include "testengine/pageencoding.h"

using namespace Qt::StringLiterals;

namespace sokuri::bench {

namespace {

// One result entry of about 150 bytes: a title link (relative, absolute,
// https with its own target, or behind an image-only anchor), a relevance
// figure and snippets of Japanese text; every twentieth has a banner.
QString entryText(qsizetype i)
{
    const QString n = QString::number(i);
    const QString score = QString::number(100 - i % 97);
    QString text;
    switch (i % 4) {
    case 0:
        text = u"<li><a href=\"/doc/"_s + n + u".html\">京都の旅館 "_s + n +
               u"</a> <span class=\"score\">"_s + score +
               u"</span><br>老舗の宿、季節の料理と庭園。"_s;
        break;
    case 1:
        text = u"<li><a href=\"http://www"_s + QString::number(i % 13) +
               u".example.co.jp/ryokan/"_s + n + u"\">嵐山の宿 "_s + n +
               u"</a> <span class=\"score\">"_s + score + u"</span> 渡月橋まで徒歩五分。"_s;
        break;
    case 2:
        text = u"<li><a href=\"page"_s + n + u".html\"><img src=\"/img/"_s + n +
               u".gif\" alt=\"\"></a> <a href=\"/r/"_s + n + u"\">祇園 "_s + n +
               u"</a> <span class=\"score\">"_s + score + u"</span>"_s;
        break;
    default:
        text = u"<li><a href=\"https://s.example.jp/q?id="_s + n + u"\" target=\"_top\">宿 "_s + n +
               u"</a> 一泊二食付き。<span class=\"score\">"_s + score + u"</span>"_s;
        break;
    }
    text += u"<small>空室あり</small>"_s;
    if (i % 20 == 19)
        text += u"<!--ad-->広告<!--/ad-->"_s;
    return text + u"</li>"_s;
}

} // namespace

qint64 SjisSize(const QString& text)
{
    qint64 bytes = 0;
    for (const QChar c : text)
        bytes += c.unicode() < 0x80 ? 1 : 2;
    return bytes;
}

PageText MakePage(const PageShape& shape)
{
    PageText page;
    qint64 bytes = 0;
    const auto add = [&page, &bytes](const QString& line) {
        page.lines.append(line + u"\r\n"_s);
        bytes += SjisSize(page.lines.back());
    };
    const auto full = [&shape, &page, &bytes](qint64 pending) {
        return shape.entries > 0 ? page.entries >= shape.entries
                                 : bytes + pending >= shape.targetBytes;
    };
    if (shape.httpHeaders) {
        add(u"HTTP/1.0 200 OK"_s);
        add(u"Content-Type: text/html"_s);
        add(QString());
    }
    add(u"<html><head><title>検索結果</title></head><body>"_s);
    add(u"<div class=\"nav\"><a href=\"/\">トップ</a> <a href=\"/help\">ヘルプ</a></div>"_s);
    add(u"<ol class=\"results\">"_s);
    QString line;
    while (!full(SjisSize(line))) {
        const QString entry = entryText(page.entries++);
        if (!shape.packed) {
            add(entry);
            continue;
        }
        if (line.size() + entry.size() > 32000) {
            add(line);
            line.clear();
        }
        line += entry;
    }
    if (!line.isEmpty())
        add(line);
    add(u"</ol><div class=\"foot\">次のページ</div></body></html>"_s);
    return page;
}

QByteArray EncodePageBytes(const PageText& page, const QString& charset)
{
    return sokuri::test::EncodePage(page.lines.join(QString()), charset);
}

PluginSlot PageSlot(const QString& charset)
{
    PluginSlot slot;
    slot.Name = u"bench"_s;
    slot.Host = u"search.example.jp"_s;
    slot.Port = 80;
    slot.Path = u"/s"_s;
    slot.BaseUrl = u"http://search.example.jp/"_s;
    slot.ResultCharset = charset;
    slot.ListStart = u"<ol class=\"results\">"_s;
    slot.ListEnd = u"</ol>"_s;
    slot.ItemStart = u"<li>"_s;
    slot.ItemEnd = u"</li>"_s;
    slot.RelevanceStart = u"<span class=\"score\">"_s;
    slot.RelevanceEnd = u"</span>"_s;
    slot.BannerStart = u"<!--ad-->"_s;
    slot.BannerEnd = u"<!--/ad-->"_s;
    return slot;
}

namespace {

QString longLineEntry(qsizetype i)
{
    const QString n = QString::number(i);
    const QString host = u"www"_s + QString::number(i % 17) + u".example.co.jp"_s;
    QString text =
        u"<li class=\"b_algo\" data-tag=\"\" data-partnertag=\"\">"_s
        u"<div class=\"b_tpcn\"><a class=\"tilk\" aria-label=\"京都観光 "_s +
        n + u"\" href=\"https://"_s + host + u"/\" h=\"ID=SERP,"_s + n +
        u".1\"><div class=\"tpic\"><div class=\"wr_fav\"><img class=\"rms_img\" "
        u"height=\"16\" width=\"16\" src=\"data:image/png;base64,iVBORw0KGgo\"/>"
        u"</div></div><div class=\"tptxt\"><div class=\"tptt\">京都観光 "_s +
        n + u"</div><div class=\"tpmeta\"><div class=\"b_attribution\"><cite>https://"_s + host +
        u" › temples</cite></div></div></div></a></div>"
        u"<h2 class=\"\"><a target=\"_blank\" href=\"https://www.bing.com/ck/a?!&amp;&amp;p="_s +
        QString(48, u'a') + n +
        u"&amp;ptn=3&amp;ver=2&amp;u=a1aHR0cHM6Ly93d3cuZXhhbXBsZS5jby5qcC8&amp;ntb=1\" "
        u"h=\"ID=SERP,"_s +
        n + u".2\">京都の寺 &amp; 庭園 &#8211; 第"_s + n +
        u"回</a></h2><div class=\"b_caption\"><p class=\"b_lineclamp2\">"
        u"<span class=\"news_dt\">2026/11/02</span>&nbsp;&#0183; 平安京の"
        u"<strong>寺</strong>と季節の庭園、拝観の時間と料金を紹介します。</p>"_s;
    if (i % 5 == 0)
        text += u"<ul class=\"b_vList\"><li><a href=\"https://"_s + host +
                u"/a\">拝観</a></li><li><a href=\"https://"_s + host + u"/b\">地図</a></li></ul>"_s;
    return text + u"</div></li>"_s;
}

} // namespace

PageText MakeLongLinePage(qint64 targetBytes)
{
    PageText page;
    qint64 bytes = 0;
    const auto add = [&page, &bytes](const QString& line) {
        page.lines.append(line + u"\r\n"_s);
        bytes += page.lines.back().toUtf8().size();
    };
    add(u"HTTP/1.1 200 OK"_s);
    add(u"Content-Type: text/html; charset=utf-8"_s);
    add(QString());
    add(u"<!DOCTYPE html><html lang=\"ja\"><head><title>京都 寺 - 検索</title></head>"_s);
    QString line = u"<body><main aria-label=\"検索結果\"><ol id=\"b_results\" class=\"\">"_s;
    while (bytes + line.toUtf8().size() < targetBytes) {
        line += longLineEntry(page.entries++);
        if (line.size() > 60000) {
            add(line);
            line.clear();
        }
    }
    add(line + u"</ol></main><footer>次へ</footer></body></html>"_s);
    return page;
}

PluginSlot LongLineSlot()
{
    PluginSlot slot;
    slot.Name = u"bench"_s;
    slot.Scheme = u"https"_s;
    slot.Host = u"www.bing.com"_s;
    slot.Port = 443;
    slot.Path = u"/search"_s;
    slot.BaseUrl = u"https://www.bing.com/"_s;
    slot.ResultCharset = u"utf-8"_s;
    slot.ListStart = u"<ol id=\"b_results\""_s;
    slot.ListEnd = u"</ol></main>"_s;
    slot.ItemStart = u"<li class=\"b_algo\""_s;
    slot.ItemEnd = u"</div></li>"_s;
    slot.TitleStart = u"<h2"_s;
    return slot;
}

} // namespace sokuri::bench
