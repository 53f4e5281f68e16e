// Throughput of the Japanese conversions over the lines of an answer page,
// one call a line as the reply reader and the ChaSen client make them.
// Bytes are counted as given to the conversion.

#include "encoding/charconv.h"

#include "benchpages.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <benchmark/benchmark.h>

using namespace sokuri;
using namespace sokuri::bench;
using namespace Qt::StringLiterals;

namespace {

// The lines of a page of about 1 MB in charset, each with its CR LF.
QList<QByteArray> pageLines(const QString& charset)
{
    const QByteArray bytes = EncodePageBytes(MakePage({.targetBytes = 1'000'000}), charset);
    QList<QByteArray> lines;
    qsizetype begin = 0;
    while (begin < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', begin);
        end = end < 0 ? bytes.size() : end + 1;
        lines.append(bytes.sliced(begin, end - begin));
        begin = end;
    }
    return lines;
}

template <typename Convert>
void convertLines(benchmark::State& st, const QString& charset, Convert convert)
{
    const QList<QByteArray> lines = pageLines(charset);
    qint64 bytes = 0;
    for (const QByteArray& line : lines)
        bytes += line.size();
    for (auto _ : st) {
        for (const QByteArray& line : lines)
            benchmark::DoNotOptimize(convert(line));
    }
    st.SetBytesProcessed(st.iterations() * bytes);
}

void BM_DecodeEuc(benchmark::State& st)
{
    convertLines(st, u"x-euc-jp"_s, [](const QByteArray& line) { return DecodeEuc(line); });
}
BENCHMARK(BM_DecodeEuc)->Unit(benchmark::kMillisecond);

void BM_DecodeJis(benchmark::State& st)
{
    convertLines(st, u"iso-2022-jp"_s, [](const QByteArray& line) { return DecodeJis(line); });
}
BENCHMARK(BM_DecodeJis)->Unit(benchmark::kMillisecond);

void BM_SjisToEuc(benchmark::State& st)
{
    convertLines(st, u"x-sjis"_s, [](const QByteArray& line) { return SjisToEuc(line); });
}
BENCHMARK(BM_SjisToEuc)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
