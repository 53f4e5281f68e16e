#include "retrieval/resultsmodel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <optional>
#include <random>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

// Rows as a search run brings them: relevance figures of three right-aligned
// characters, Japanese titles, a few plugins and reversed host names.
QList<ResultRow> makeRows(int count)
{
    static const QStringList words = {u"京都"_s,   u"旅館"_s,      u"温泉"_s, u"観光"_s,
                                      u"ホテル"_s, u"予約"_s,      u"料理"_s, u"口コミ"_s,
                                      u"案内"_s,   u"ランキング"_s};
    static const QStringList plugins = {u"alpha"_s, u"beta"_s, u"gamma"_s};
    static const QStringList domains = {u"jp.co"_s, u"jp.ne"_s, u"com"_s, u"jp.or"_s};
    std::mt19937 random(7);
    std::uniform_int_distribution<int> relevance(1, 125);
    std::uniform_int_distribution<int> word(0, int(words.size()) - 1);
    std::uniform_int_distribution<int> host(0, 999);
    QList<ResultRow> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        ResultRow row;
        row.title = words[word(random)] + words[word(random)] + u"の"_s + words[word(random)] +
                    u" "_s + QString::number(i % 50);
        row.plugin = plugins[i % plugins.size()];
        row.relevance = u"%1"_s.arg(relevance(random), 3);
        row.site = domains[i % domains.size()] + u".site"_s + QString::number(host(random));
        row.html = u"<a href=\"http://example/"_s + QString::number(i) +
                   u"\" target=\"_sokuri\">"_s + row.title + u"</a>"_s;
        rows.append(row);
    }
    return rows;
}

void addOneAtATime(benchmark::State& state, int column, Qt::SortOrder order)
{
    const QList<ResultRow> rows = makeRows(int(state.range(0)));
    std::optional<ResultsModel> model;
    for (auto _ : state) {
        model.emplace();
        model->setSort(column, order);
        for (const ResultRow& row : rows)
            model->addRow(row);
        benchmark::DoNotOptimize(model->rowCount());
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}

// The list as it starts: relevance, descending.
void BM_AddRowByRelevance(benchmark::State& state)
{
    addOneAtATime(state, ResultsModel::RelevanceColumn, Qt::DescendingOrder);
}
BENCHMARK(BM_AddRowByRelevance)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Longer texts with few ties: the titles.
void BM_AddRowByTitle(benchmark::State& state)
{
    addOneAtATime(state, ResultsModel::TitleColumn, Qt::AscendingOrder);
}
BENCHMARK(BM_AddRowByTitle)->Arg(100'000)->Unit(benchmark::kMillisecond);

// A document of many rows read back in one batch.
void BM_AddRowsBatch(benchmark::State& state)
{
    const QList<ResultRow> rows = makeRows(int(state.range(0)));
    std::optional<ResultsModel> model;
    for (auto _ : state) {
        model.emplace();
        model->addRows(rows);
        benchmark::DoNotOptimize(model->rowCount());
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddRowsBatch)->Arg(100'000)->Unit(benchmark::kMillisecond);

// One click on the relevance header with 100,000 rows in the list.
void BM_Resort(benchmark::State& state)
{
    ResultsModel model;
    model.addRows(makeRows(int(state.range(0))));
    for (auto _ : state) {
        model.columnClicked(ResultsModel::RelevanceColumn);
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_Resort)->Arg(100'000)->Unit(benchmark::kMillisecond);

// What a view does when it paints: read rows by display position.
void BM_ReadEveryRow(benchmark::State& state)
{
    ResultsModel model;
    model.addRows(makeRows(int(state.range(0))));
    for (auto _ : state) {
        qsizetype total = 0;
        for (int r = 0; r < model.rowCount(); ++r)
            total += model.rowAt(r).title.size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadEveryRow)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
