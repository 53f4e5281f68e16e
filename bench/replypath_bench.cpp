// Throughput of the whole reply path of one connection slot: the bytes of an
// engine's answer, arriving in pieces of 64 KB as a socket reads them, cut
// into lines, decoded by the plugin's character set, cut into entries by the
// markers, their links rewritten, and turned into result rows. Bytes are
// counted as they came over the wire, in the page's own character set.
//
// Besides the usual benchmark flags:
//   --write-page=FILE [--entries=N] [--charset=C]
//       writes a page of N entries (default 40000) in C (default x-euc-jp)
//       to FILE, the HTML alone, prints its size and entry count, and ends;
//   --page-file=FILE [--charset=C]
//       measures the reply path over the bytes of FILE as well.

#include "retrieval/replyreader.h"

#include "benchpages.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace sokuri;
using namespace sokuri::bench;
using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype ArrivalBytes = 64 * 1024;

// The reply path over bytes; expected is the number of entries the page
// holds (0: not known, nothing checked).
void readReply(benchmark::State& st, const QByteArray& bytes, const PluginSlot& slotTemplate,
               qsizetype expected)
{
    std::vector<QList<ResultRow>> batches;
    qsizetype found = 0;
    for (auto _ : st) {
        PluginSlot slot = slotTemplate;
        SlotState state;
        found = 0;
        for (qsizetype at = 0; at < bytes.size(); at += ArrivalBytes) {
            // The rows of one arrival go on as one batch and are kept, as the
            // results list keeps them.
            QList<ResultRow> rows;
            ReadReplyBytes(
                slot, state,
                QByteArrayView(bytes).sliced(at).first(std::min(ArrivalBytes, bytes.size() - at)),
                rows);
            found += rows.size();
            batches.push_back(std::move(rows));
        }
        benchmark::DoNotOptimize(batches.data());
        st.PauseTiming();
        batches.clear();
        st.ResumeTiming();
        if (expected > 0 && found != expected) {
            st.SkipWithError("an entry was lost");
            break;
        }
    }
    st.SetBytesProcessed(st.iterations() * bytes.size());
    st.counters["entries"] = double(found);
    st.counters["bytes"] = double(bytes.size());
}

// The least of the repetitions' figures: with times, the fastest repetition,
// which shows the code's own speed on a machine whose other work only ever
// slows it down. (The rates of this statistic are the least too; the report
// takes the fastest rate from the bytes and the fastest time.)
double fastest(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

// The encoded pages by character set and size, made once: the benchmark
// library calls a benchmark several times while it settles the iterations.
struct EncodedPage
{
    QByteArray bytes;
    qsizetype entries = 0;
};

const EncodedPage& encodedPage(const QString& charset, qint64 size)
{
    static std::map<std::pair<QString, qint64>, EncodedPage> pages;
    EncodedPage& page = pages[{charset, size}];
    if (page.bytes.isEmpty()) {
        const PageText text = MakePage({.targetBytes = size});
        page.bytes = EncodePageBytes(text, charset);
        page.entries = text.entries;
    }
    return page;
}

struct Options
{
    std::string writePage;
    std::string pageFile;
    std::string charset = "x-euc-jp";
    long entries = 40000;
};

bool takeValue(const char* argument, const char* name, std::string& value)
{
    const size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0 || argument[length] != '=')
        return false;
    value = argument + length + 1;
    return true;
}

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string entries;
        if (takeValue(argv[i], "--write-page", options.writePage) ||
            takeValue(argv[i], "--page-file", options.pageFile) ||
            takeValue(argv[i], "--charset", options.charset))
            continue;
        if (takeValue(argv[i], "--entries", entries)) {
            options.entries = std::strtol(entries.c_str(), nullptr, 10);
            if (options.entries > 0)
                continue;
        }
        std::fprintf(stderr, "bench_replypath: unknown argument %s\n", argv[i]);
        return false;
    }
    return true;
}

int writePage(const Options& options)
{
    const QString charset = QString::fromStdString(options.charset);
    const PageText page = MakePage({.entries = options.entries, .httpHeaders = false});
    const QByteArray bytes = EncodePageBytes(page, charset);
    QFile file(QString::fromStdString(options.writePage));
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "bench_replypath: cannot write %s\n", options.writePage.c_str());
        return 1;
    }
    std::printf("%lld bytes, %lld entries\n", qlonglong(bytes.size()), qlonglong(page.entries));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Options options;
    if (!parseOptions(argc, argv, options))
        return 2;
    if (!options.writePage.empty())
        return writePage(options);

    for (const QString& charset : {u"iso-2022-jp"_s, u"x-euc-jp"_s, u"x-sjis"_s, u"utf-8"_s}) {
        for (const qint64 size : {100'000, 1'000'000, 10'000'000}) {
            const std::string name =
                "BM_ReplyPath/" + charset.toStdString() + "/" + std::to_string(size);
            benchmark::RegisterBenchmark(name.c_str(),
                                         [charset, size](benchmark::State& st) {
                                             const EncodedPage& page = encodedPage(charset, size);
                                             readReply(st, page.bytes, PageSlot(charset),
                                                       page.entries);
                                         })
                ->Unit(benchmark::kMillisecond)
                ->ComputeStatistics("best", fastest);
        }
    }
    // Today's large engines: whole result lists on lines of about 100 KB.
    for (const qint64 size : {1'000'000, 10'000'000}) {
        const std::string name = "BM_ReplyPathLongLines/utf-8/" + std::to_string(size);
        benchmark::RegisterBenchmark(name.c_str(), [size](benchmark::State& st) {
            static std::map<qint64, std::pair<QByteArray, qsizetype>> pages;
            auto& [bytes, entries] = pages[size];
            if (bytes.isEmpty()) {
                const PageText text = MakeLongLinePage(size);
                bytes = text.lines.join(QString()).toUtf8();
                entries = text.entries;
            }
            readReply(st, bytes, LongLineSlot(), entries);
        })->Unit(benchmark::kMillisecond);
    }
    if (!options.pageFile.empty()) {
        QFile file(QString::fromStdString(options.pageFile));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "bench_replypath: cannot read %s\n", options.pageFile.c_str());
            return 1;
        }
        const QByteArray bytes = file.readAll();
        const QString charset = QString::fromStdString(options.charset);
        benchmark::RegisterBenchmark(
            "BM_ReplyPathFile",
            [bytes, charset](benchmark::State& st) { readReply(st, bytes, PageSlot(charset), 0); })
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("best", fastest);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
