// The JSON reader on a whole answer: 1,000 results in about 1 MB, in the
// layout of MediaWiki's search interface (query/search, a title with HTML
// references, a page id made an address with a prefix, a snippet with
// highlighting), parsed with Qt's reader and walked by the plugin's paths.
//
// Besides the usual benchmark flags:
//   --write-answer=FILE   writes the answer to FILE (for the Python peer),
//                         prints its size and result count, and ends.

#include "retrieval/jsonentries.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

constexpr int Results = 1000;

// About 1 KB a result: the fields MediaWiki sends, the snippet the longest.
QByteArray answer()
{
    QJsonArray search;
    for (int i = 0; i < Results; ++i) {
        QString snippet;
        for (int k = 0; k < 12; ++k)
            snippet += u"<span class=\"searchmatch\">京都</span>市東山区の寺院 %1 "_s.arg(k);
        search.append(QJsonObject{{u"ns"_s, 0},
                                  {u"title"_s, u"京都の寺 &amp; 庭園 %1"_s.arg(i)},
                                  {u"pageid"_s, 100000 + i},
                                  {u"size"_s, 61234},
                                  {u"wordcount"_s, 6721},
                                  {u"snippet"_s, snippet},
                                  {u"timestamp"_s, u"2026-11-30T04:12:09Z"_s}});
    }
    const QJsonObject document{
        {u"batchcomplete"_s, u""_s},
        {u"query"_s, QJsonObject{{u"searchinfo"_s, QJsonObject{{u"totalhits"_s, Results}}},
                                 {u"search"_s, search}}}};
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

JsonResultKeys keys()
{
    JsonResultKeys keys;
    keys.enabled = true;
    keys.results = u"query/search"_s;
    keys.title = u"title"_s;
    keys.url = u"pageid"_s;
    keys.urlPrefix = u"https://ja.wikipedia.org/?curid="_s;
    keys.content = u"snippet"_s;
    return keys;
}

void BM_JsonEntries(benchmark::State& st)
{
    static const QByteArray body = answer();
    const JsonResultKeys paths = keys();
    qsizetype found = 0;
    for (auto _ : st) {
        QList<FeedEntry> entries;
        QString reason;
        if (!ReadJsonEntries(body, u"utf-8", paths, u"https://ja.wikipedia.org/", entries, reason))
            st.SkipWithError(reason.toStdString().c_str());
        found = entries.size();
        benchmark::DoNotOptimize(entries);
    }
    st.counters["entries"] = double(found);
    st.SetBytesProcessed(st.iterations() * body.size());
}
BENCHMARK(BM_JsonEntries)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--write-answer=", 15) == 0) {
            QFile file(QString::fromLocal8Bit(argv[i] + 15));
            const QByteArray bytes = answer();
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
                std::fprintf(stderr, "bench_jsonentries: cannot write %s\n", argv[i] + 15);
                return 1;
            }
            std::printf("bytes=%lld results=%d\n", static_cast<long long>(bytes.size()), Results);
            return 0;
        }
        std::fprintf(stderr, "bench_jsonentries: unknown option %s\n", argv[i]);
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
