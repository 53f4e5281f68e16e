#include "retrieval/mergedresults.h"
#include "retrieval/resultsfilter.h"
#include "retrieval/resultsmodel.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

ResultRow row(const QString& title, const QString& plugin, const QString& relevance,
              const QString& link, const QString& site = {})
{
    return ResultRow{title, plugin, relevance, site,
                     u"<li><a href=\""_s + link + u"\" target=\"_sokuri\">"_s + title +
                         u"</a></li>"_s};
}

QStringList column(const QAbstractItemModel& model, int column)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts.append(model.index(r, column).data().toString());
    return texts;
}

} // namespace

TEST(ResultsFilter, NarrowsByTitlePluginOrSiteAcrossWidthsAndCase)
{
    ResultsModel results;
    results.addRows({row(u"カタカナの宿"_s, u"alpha"_s, u"100"_s, u"http://a/1"_s),
                     row(u"ＷＥＢ旅館"_s, u"beta"_s, u" 90"_s, u"http://b/1"_s),
                     row(u"温泉"_s, u"gamma"_s, u" 80"_s, u"http://c/1"_s, u"jp.onsen"_s),
                     row(u"ガイド１２３"_s, u"alpha"_s, u" 70"_s, u"http://a/2"_s)});
    ResultsFilterModel filter;
    filter.setSourceModel(&results);
    ASSERT_EQ(filter.rowCount(), 4);

    filter.setFilterText(u"ｶﾀｶﾅ"_s); // half-width typed, full-width title
    EXPECT_EQ(column(filter, 0), QStringList{u"カタカナの宿"_s});
    filter.setFilterText(u"ｶﾞｲﾄﾞ123"_s); // voiced marks and digits
    EXPECT_EQ(column(filter, 0), QStringList{u"ガイド１２３"_s});
    filter.setFilterText(u"web"_s);
    EXPECT_EQ(column(filter, 0), QStringList{u"ＷＥＢ旅館"_s});
    filter.setFilterText(u"ALPHA"_s); // the plugin column
    EXPECT_EQ(column(filter, 0), QStringList({u"カタカナの宿"_s, u"ガイド１２３"_s}));
    filter.setFilterText(u"onsen"_s); // the site column
    EXPECT_EQ(column(filter, 0), QStringList{u"温泉"_s});

    // Rows arriving while a filter is set are filtered too.
    results.addRow(row(u"onsen guide"_s, u"delta"_s, u" 60"_s, u"http://d/"_s));
    EXPECT_EQ(filter.rowCount(), 2);

    filter.setFilterText(QString());
    EXPECT_EQ(filter.rowCount(), 5);
    // The results list itself is never narrowed.
    EXPECT_EQ(results.rowCount(), 5);
}

TEST(MergedResults, RowsOfOnePageBecomeOneRow)
{
    ResultsModel results;
    results.addRows(
        {row(u"京都の宿"_s, u"alpha"_s, u" 80"_s, u"http://Www.Example.jp/inn/"_s),
         row(u"京都の宿"_s, u"beta"_s, u"100"_s, u"http://www.example.jp:80/inn#top"_s),
         row(u"京都の宿 (英語)"_s, u"beta"_s, u" 90"_s, u"http://www.example.jp/inn?lang=en"_s),
         row(u"京都の宿"_s, u"gamma"_s, u" 50"_s, u"https://www.example.jp/inn"_s)});
    MergedResultsModel merged(results);
    // Relevance descending: beta's 100 first; alpha's row joins it and its
    // figure adds to the page's.
    ASSERT_EQ(merged.rowCount(), 3);
    EXPECT_EQ(merged.rowAt(0).plugin, u"beta, alpha");
    EXPECT_EQ(merged.rowAt(0).relevance, u"180");
    // Another query is another page, and https another address.
    EXPECT_EQ(merged.rowAt(1).title, u"京都の宿 (英語)");
    EXPECT_EQ(merged.rowAt(2).plugin, u"gamma");

    // Rows that arrive later join their page.
    results.addRow(row(u"京都の宿"_s, u"delta"_s, u"120"_s, u"http://www.example.jp/inn"_s));
    ASSERT_EQ(merged.rowCount(), 3);
    EXPECT_EQ(merged.rowAt(0).plugin, u"delta, beta, alpha");
    EXPECT_EQ(merged.rowAt(0).relevance, u"300");
    // The list keeps every row.
    EXPECT_EQ(results.rowCount(), 5);

    results.clear();
    EXPECT_EQ(merged.rowCount(), 0);
}

TEST(MergedResults, PageKeysAndTitleLinks)
{
    EXPECT_EQ(PageKey(u"HTTP://Host.JP:80/a/"_s), PageKey(u"http://host.jp/a"_s));
    EXPECT_EQ(PageKey(u"https://h:443/x#frag"_s), PageKey(u"https://h/x"_s));
    EXPECT_NE(PageKey(u"http://h:8080/x"_s), PageKey(u"http://h/x"_s));
    EXPECT_NE(PageKey(u"http://h/X"_s), PageKey(u"http://h/x"_s)); // paths keep their case

    ResultRow entry;
    entry.title = u"本文"_s;
    entry.html = u"<a href='http://h/img'><img src=x></a> <a href=\"http://h/page\">本文</a>"_s;
    EXPECT_EQ(TitleLink(entry), u"http://h/page");
    entry.title = u"別"_s;
    EXPECT_EQ(TitleLink(entry), u"http://h/img");
    entry.html = u"no link"_s;
    EXPECT_EQ(TitleLink(entry), QString());

    // Rows without a link are never merged.
    ResultsModel results;
    results.addRows(
        {ResultRow{u"a"_s, u"p"_s, {}, {}, u"x"_s}, ResultRow{u"a"_s, u"q"_s, {}, {}, u"x"_s}});
    EXPECT_EQ(MergedResultsModel(results).rowCount(), 2);
}
