// The JSON reader on a whole answer: 1,000 results in about 1 MB, in the
// layout of MediaWiki's search interface (query/search, a title with HTML
// references, a page id made an address with a prefix, a snippet with
// highlighting), parsed and walked by the plugin's paths; and an answer of
// about 1 MB of each shipped JSON engine (data/plugins/*.ini, format=json):
// the results of its real-shaped answer in tests/data/engines/ repeated.
//
// Besides the usual benchmark flags:
//   --write-answer=FILE   writes the answer to FILE (for the Python peer),
//                         prints its size and result count, and ends.
//   --write-engines=DIR   writes each engine's answer to DIR/NAME.json and its
//                         plugin's paths to DIR/NAME.keys.json (for the
//                         Python peer), prints their names, and ends.

#include "common/inifile.h"
#include "retrieval/jsonentries.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

constexpr qsizetype EngineAnswerBytes = 1000000;

// A shipped JSON engine: its plugin file and its real-shaped answer.
struct Engine
{
    const char* name;
    const char* plugin; // in data/plugins/
    const char* answer; // in tests/data/engines/
};

const Engine Engines[] = {
    {"crossref", "Crossref.ini", "crossref.json"},
    {"github", "GitHub.ini", "github.json"},
    {"googlebooks", "Google ブックス.ini", "googlebooks.json"},
    {"hackernews", "Hacker News.ini", "hackernews.json"},
    {"openlibrary", "Open Library.ini", "openlibrary.json"},
    {"qiita", "Qiita.ini", "qiita.json"},
    {"stackoverflow", "スタック・オーバーフロー (日本語).ini", "stackoverflow.json"},
    {"wikipedia", "Wikipedia (日本語).ini", "wikipedia.json"},
    {"wiktionary", "Wiktionary (日本語).ini", "wiktionary.json"},
};

QString sourcePath(const char* folder, const char* file)
{
    return QStringLiteral(SOKURI_SOURCE_DIR) + u'/' + QLatin1StringView(folder) + u'/' +
           QString::fromUtf8(file);
}

JsonResultKeys engineKeys(const Engine& engine)
{
    return ReadJsonResultKeys(IniFile::load(sourcePath("data/plugins", engine.plugin)),
                              u"result"_s);
}

// The engine's answer with its results repeated to about 1 MB, written as
// the engine writes it (indented when it came indented).
QByteArray engineAnswer(const Engine& engine, const JsonResultKeys& keys)
{
    QFile file(sourcePath("tests/data/engines", engine.answer));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray original = file.readAll();
    const QJsonDocument document = QJsonDocument::fromJson(original);
    const QStringList steps = keys.results.split(u'/', Qt::SkipEmptyParts);
    const auto format = original.contains("\n ") || original.startsWith("{\n")
                            ? QJsonDocument::Indented
                            : QJsonDocument::Compact;
    const auto repeated = [&](const QJsonArray& results) {
        QJsonArray many;
        qsizetype bytes = 0;
        const qsizetype each = QJsonDocument(results).toJson(format).size() / results.size();
        while (bytes < EngineAnswerBytes) {
            for (const QJsonValue& result : results)
                many.append(result);
            bytes += each * results.size();
        }
        return many;
    };
    if (document.isArray())
        return QJsonDocument(repeated(document.array())).toJson(format);
    // Only the shipped engines' layouts: the results one or two keys down.
    QJsonObject top = document.object();
    if (steps.size() == 1) {
        top[steps[0]] = repeated(top[steps[0]].toArray());
    } else if (steps.size() == 2) {
        QJsonObject inner = top[steps[0]].toObject();
        inner[steps[1]] = repeated(inner[steps[1]].toArray());
        top[steps[0]] = inner;
    }
    return QJsonDocument(top).toJson(format);
}

void BM_JsonEngine(benchmark::State& st, const Engine& engine)
{
    const JsonResultKeys paths = engineKeys(engine);
    const QByteArray body = engineAnswer(engine, paths);
    qsizetype found = 0;
    for (auto _ : st) {
        QList<FeedEntry> entries;
        QString reason;
        if (!ReadJsonEntries(body, u"utf-8", paths, u"https://example.org/", entries, reason))
            st.SkipWithError(reason.toStdString().c_str());
        found = entries.size();
        benchmark::DoNotOptimize(entries);
    }
    st.counters["entries"] = double(found);
    st.SetBytesProcessed(st.iterations() * body.size());
}

int writeEngines(const QString& folder)
{
    for (const Engine& engine : Engines) {
        const JsonResultKeys keys = engineKeys(engine);
        const QByteArray answer = engineAnswer(engine, keys);
        const QJsonObject paths{{u"results"_s, keys.results},
                                {u"title"_s, keys.title},
                                {u"url"_s, keys.url},
                                {u"altUrl"_s, keys.altUrl},
                                {u"urlPrefix"_s, keys.urlPrefix},
                                {u"content"_s, keys.content}};
        const QString base = folder + u'/' + QLatin1StringView(engine.name);
        QFile answerFile(base + u".json"_s);
        QFile keysFile(base + u".keys.json"_s);
        if (answer.isEmpty() || !answerFile.open(QIODevice::WriteOnly) ||
            answerFile.write(answer) != answer.size() || !keysFile.open(QIODevice::WriteOnly) ||
            keysFile.write(QJsonDocument(paths).toJson()) < 0) {
            std::fprintf(stderr, "bench_jsonentries: cannot write %s\n", qPrintable(base));
            return 1;
        }
        std::printf("%s\n", engine.name);
    }
    return 0;
}

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
        if (std::strncmp(argv[i], "--write-engines=", 16) == 0)
            return writeEngines(QString::fromLocal8Bit(argv[i] + 16));
        std::fprintf(stderr, "bench_jsonentries: unknown option %s\n", argv[i]);
        return 2;
    }
    for (const Engine& engine : Engines) {
        benchmark::RegisterBenchmark((std::string("BM_JsonEngine/") + engine.name).c_str(),
                                     BM_JsonEngine, engine)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
