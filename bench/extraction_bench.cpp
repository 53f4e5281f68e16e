// Throughput of the result extraction: an engine's answer page, already
// decoded, fed line by line through ProcessLine as the reply reader does.
// Bytes are counted as the page's Shift_JIS size (ASCII one byte, every other
// character two), the form in which it came over the wire.

#include "retrieval/extraction.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <vector>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

PluginSlot benchSlot()
{
    PluginSlot slot;
    slot.Name = u"bench"_s;
    slot.Host = u"search.example.jp"_s;
    slot.BaseUrl = u"http://search.example.jp/"_s;
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

qint64 wireBytes(const QString& text)
{
    qint64 bytes = 0;
    for (const QChar c : text)
        bytes += c.unicode() < 0x80 ? 1 : 2;
    return bytes;
}

// One result entry of about 150 bytes: a title link (relative, absolute,
// https with its own target, or behind an image-only anchor), a relevance
// figure and a snippet of Japanese text; every twentieth has a banner.
QString entryText(int i)
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
    if (i % 20 == 19)
        text += u"<!--ad-->広告<!--/ad-->"_s;
    return text + u"</li>"_s;
}

struct Page
{
    QStringList lines;
    qint64 bytes = 0;
    qsizetype entries = 0;
};

// A page of about targetBytes: headers, head, the list, the foot. Packed puts
// entries side by side on lines of up to 32,000 characters (a page without
// line breaks, cut by the reply reader); otherwise one entry a line.
Page makePage(qint64 targetBytes, bool packed)
{
    Page page;
    const auto add = [&page](const QString& line) {
        page.lines.append(line + u"\r\n"_s);
        page.bytes += wireBytes(page.lines.back());
    };
    add(u"HTTP/1.0 200 OK"_s);
    add(u"Content-Type: text/html; charset=Shift_JIS"_s);
    add(u"<html><head><title>検索結果</title></head><body>"_s);
    add(u"<div class=\"nav\"><a href=\"/\">トップ</a> <a href=\"/help\">ヘルプ</a></div>"_s);
    add(u"<ol class=\"results\">"_s);
    QString line;
    while (page.bytes + wireBytes(line) < targetBytes) {
        const QString entry = entryText(int(page.entries++));
        if (!packed) {
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

// Feeds the page as the reply reader does: the rows of each arrival of about
// 64 KB are handed on as one batch, and the batches are kept, as the results
// list keeps its rows. Freeing them afterwards is not part of the measure.
void extract(benchmark::State& st, bool packed)
{
    constexpr qint64 arrivalBytes = 64 * 1024;
    const Page page = makePage(st.range(0), packed);
    const PluginSlot slotTemplate = benchSlot();
    std::vector<QList<ResultRow>> batches;
    for (auto _ : st) {
        PluginSlot slot = slotTemplate;
        SlotState state;
        QList<ResultRow> rows;
        qint64 arrived = 0;
        qsizetype total = 0;
        for (const QString& line : page.lines) {
            ProcessLine(slot, state, line, rows);
            arrived += line.size();
            if (arrived >= arrivalBytes) {
                total += rows.size();
                batches.push_back(std::move(rows));
                rows = QList<ResultRow>();
                arrived = 0;
            }
        }
        total += rows.size();
        batches.push_back(std::move(rows));
        benchmark::DoNotOptimize(batches.data());
        st.PauseTiming();
        batches.clear();
        st.ResumeTiming();
        if (total != page.entries) {
            st.SkipWithError("an entry was lost");
            break;
        }
    }
    st.SetBytesProcessed(st.iterations() * page.bytes);
    st.counters["entries"] = double(page.entries);
}

void BM_ExtractLinePerEntry(benchmark::State& st)
{
    extract(st, false);
}

void BM_ExtractPackedLines(benchmark::State& st)
{
    extract(st, true);
}

} // namespace

BENCHMARK(BM_ExtractLinePerEntry)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractPackedLines)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
