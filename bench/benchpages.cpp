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

} // namespace sokuri::bench
