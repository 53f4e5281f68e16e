// Throughput of the result extraction: an engine's answer page, already
// decoded, fed line by line through ProcessLine as the reply reader does.
// Bytes are counted as the page's Shift_JIS size (ASCII one byte, every other
// character two), the form in which it came over the wire.

#include "retrieval/extraction.h"

#include "benchpages.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <vector>

using namespace sokuri;
using namespace sokuri::bench;
using namespace Qt::StringLiterals;

namespace {

// Feeds the page as the reply reader does: the rows of each arrival of about
// 64 KB are handed on as one batch, and the batches are kept, as the results
// list keeps its rows. Freeing them afterwards is not part of the measure.
void extract(benchmark::State& st, bool packed)
{
    constexpr qint64 arrivalBytes = 64 * 1024;
    const PageText page = MakePage({.targetBytes = st.range(0), .packed = packed});
    const qint64 pageBytes = SjisSize(page.lines.join(QString()));
    const PluginSlot slotTemplate = PageSlot(u"x-sjis"_s);
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
    st.SetBytesProcessed(st.iterations() * pageBytes);
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
