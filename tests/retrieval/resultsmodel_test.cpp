#include "retrieval/resultsmodel.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

ResultRow row(const QString& title, const QString& relevance = {}, const QString& site = {},
              const QString& plugin = u"alpha"_s)
{
    return ResultRow{title, plugin, relevance, site, u"<a href=\"x\">"_s + title + u"</a>"_s};
}

class Results : public ::testing::Test
{
protected:
    // The texts of one column, top to bottom, as the view reads them.
    QStringList column(int c) const
    {
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts.append(model.index(r, c).data().toString());
        return texts;
    }
    QStringList titles() const { return column(ResultsModel::TitleColumn); }

    void add(std::initializer_list<ResultRow> rows)
    {
        for (const ResultRow& r : rows)
            model.addRow(r);
    }

    ResultsModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// The (first, last) pairs of every rowsInserted signal the spy saw.
std::vector<std::pair<int, int>> insertions(const QSignalSpy& spy)
{
    std::vector<std::pair<int, int>> ranges;
    for (const QList<QVariant>& args : spy) {
        EXPECT_FALSE(args.at(0).toModelIndex().isValid());
        ranges.emplace_back(args.at(1).toInt(), args.at(2).toInt());
    }
    return ranges;
}

} // namespace

TEST_F(Results, ColumnsHeadersAndRoles)
{
    EXPECT_EQ(model.columnCount(), 4);
    const QStringList headers = {u"名前"_s, u"プラグイン"_s, u"関連"_s, u"サイト"_s};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), headers[c]);

    const ResultRow stored{u"京都の宿"_s, u"beta"_s, u" 80"_s, u"jp.co.kyoto"_s,
                           u"<a href=\"http://kyoto.co.jp/\" target=\"_sokuri\">京都の宿</a>"_s};
    model.addRow(stored);
    ASSERT_EQ(model.rowCount(), 1);
    const QStringList texts = {stored.title, stored.plugin, stored.relevance, stored.site};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(model.index(0, c).data().toString(), texts[c]);
    EXPECT_EQ(model.index(0, 3).data(ResultsModel::HtmlRole).toString(), stored.html);
    EXPECT_EQ(model.index(0, 1).data(ResultsModel::RowRole).value<ResultRow>(), stored);
    EXPECT_EQ(model.rowAt(0), stored);
}

TEST_F(Results, StartsSortedByRelevanceDescending)
{
    EXPECT_EQ(model.sortColumn(), ResultsModel::RelevanceColumn);
    EXPECT_EQ(model.sortOrder(), Qt::DescendingOrder);
    add({row(u"five"_s, u"  5"_s), row(u"hundred"_s, u"100"_s), row(u"none"_s),
         row(u"fifty"_s, u" 50"_s), row(u"ninety"_s, u" 90"_s)});
    EXPECT_EQ(column(ResultsModel::RelevanceColumn),
              (QStringList{u"100"_s, u" 90"_s, u" 50"_s, u"  5"_s, u""_s}));
    // Documents store the rows in this same order.
    QStringList stored;
    for (const ResultRow& r : model.rows())
        stored.append(r.title);
    EXPECT_EQ(stored, titles());
}

TEST_F(Results, ClickingTheSortColumnSwitchesTheOrder)
{
    add({row(u"a"_s, u" 50"_s), row(u"b"_s, u"100"_s), row(u"c"_s, u"  5"_s)});
    QSignalSpy changed(&model, &ResultsModel::sortChanged);

    model.columnClicked(ResultsModel::RelevanceColumn);
    EXPECT_EQ(model.sortOrder(), Qt::AscendingOrder);
    EXPECT_EQ(titles(), (QStringList{u"c"_s, u"a"_s, u"b"_s}));

    model.columnClicked(ResultsModel::RelevanceColumn);
    EXPECT_EQ(model.sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(titles(), (QStringList{u"b"_s, u"a"_s, u"c"_s}));

    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed.at(0).at(1).value<Qt::SortOrder>(), Qt::AscendingOrder);
    EXPECT_EQ(changed.at(1).at(1).value<Qt::SortOrder>(), Qt::DescendingOrder);
}

TEST_F(Results, ClickingAnotherColumnSortsItAscending)
{
    add({row(u"1"_s, u"100"_s, u"jp.co.kyoto"_s), row(u"2"_s, u" 90"_s, u"com.example"_s),
         row(u"3"_s, u" 80"_s, u"jp.ne.osaka"_s), row(u"4"_s, u" 70"_s, u"jp.co.kyoto"_s),
         row(u"5"_s, u" 60"_s, u"com.example"_s), row(u"6"_s, u" 50"_s, u""_s)});
    model.columnClicked(ResultsModel::SiteColumn);
    EXPECT_EQ(model.sortColumn(), ResultsModel::SiteColumn);
    EXPECT_EQ(model.sortOrder(), Qt::AscendingOrder);
    // The rows of one domain come together, in the order they arrived.
    EXPECT_EQ(titles(), (QStringList{u"6"_s, u"2"_s, u"5"_s, u"1"_s, u"4"_s, u"3"_s}));

    // From a descending column, another column still starts ascending.
    model.columnClicked(ResultsModel::SiteColumn);
    model.columnClicked(ResultsModel::PluginColumn);
    EXPECT_EQ(model.sortColumn(), ResultsModel::PluginColumn);
    EXPECT_EQ(model.sortOrder(), Qt::AscendingOrder);
}

TEST_F(Results, TextsCompareWithoutRegardToCase)
{
    model.setSort(ResultsModel::TitleColumn, Qt::AscendingOrder);
    add({row(u"beta"_s), row(u"Alpha"_s), row(u"GAMMA"_s), row(u"alpha"_s), row(u"Beta"_s)});
    EXPECT_EQ(titles(), (QStringList{u"Alpha"_s, u"alpha"_s, u"beta"_s, u"Beta"_s, u"GAMMA"_s}));
    model.setSort(ResultsModel::TitleColumn, Qt::DescendingOrder);
    EXPECT_EQ(titles(), (QStringList{u"GAMMA"_s, u"beta"_s, u"Beta"_s, u"Alpha"_s, u"alpha"_s}));
}

TEST_F(Results, TiesKeepArrivalOrderInBothDirections)
{
    add({row(u"t1"_s, u" 50"_s), row(u"x"_s, u"100"_s), row(u"t2"_s, u" 50"_s),
         row(u"y"_s, u"  5"_s), row(u"t3"_s, u" 50"_s)});
    EXPECT_EQ(titles(), (QStringList{u"x"_s, u"t1"_s, u"t2"_s, u"t3"_s, u"y"_s}));
    model.columnClicked(ResultsModel::RelevanceColumn);
    EXPECT_EQ(titles(), (QStringList{u"y"_s, u"t1"_s, u"t2"_s, u"t3"_s, u"x"_s}));

    // Ties follow the arrival, not the order the list showed before.
    model.setSort(ResultsModel::TitleColumn, Qt::DescendingOrder);
    EXPECT_EQ(titles(), (QStringList{u"y"_s, u"x"_s, u"t3"_s, u"t2"_s, u"t1"_s}));
    model.setSort(ResultsModel::RelevanceColumn, Qt::DescendingOrder);
    EXPECT_EQ(titles(), (QStringList{u"x"_s, u"t1"_s, u"t2"_s, u"t3"_s, u"y"_s}));
}

TEST_F(Results, SortFromTheViewAndUnknownColumns)
{
    add({row(u"b"_s, u" 10"_s), row(u"a"_s, u" 20"_s)});
    model.sort(ResultsModel::TitleColumn, Qt::AscendingOrder);
    EXPECT_EQ(model.sortColumn(), ResultsModel::TitleColumn);
    EXPECT_EQ(titles(), (QStringList{u"a"_s, u"b"_s}));

    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
    model.setSort(-1, Qt::DescendingOrder);
    model.setSort(4, Qt::DescendingOrder);
    model.columnClicked(7);
    model.setSort(ResultsModel::TitleColumn, Qt::AscendingOrder);
    EXPECT_EQ(model.sortColumn(), ResultsModel::TitleColumn);
    EXPECT_EQ(model.sortOrder(), Qt::AscendingOrder);
    EXPECT_EQ(layout.size(), 0);
}

TEST_F(Results, EachRowIsAnnouncedWhereItLands)
{
    QSignalSpy before(&model, &QAbstractItemModel::rowsAboutToBeInserted);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    add({row(u"a"_s, u" 50"_s), row(u"b"_s, u"100"_s), row(u"c"_s, u" 70"_s), row(u"d"_s, u"  5"_s),
         row(u"e"_s, u" 50"_s)});
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 0}, {1, 1}, {3, 3}, {3, 3}};
    EXPECT_EQ(insertions(inserted), expected);
    EXPECT_EQ(insertions(before), expected);
    EXPECT_EQ(reset.size(), 0);
}

TEST_F(Results, BatchesAreAnnouncedAsRunsBetweenPresentRows)
{
    add({row(u"90"_s, u" 90"_s), row(u"50"_s, u" 50"_s), row(u"10"_s, u" 10"_s)});
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.addRows({row(u"70"_s, u" 70"_s), row(u"05"_s, u"  5"_s), row(u"95"_s, u" 95"_s),
                   row(u"60"_s, u" 60"_s), row(u"30"_s, u" 30"_s), row(u"06"_s, u"  6"_s)});
    EXPECT_EQ(titles(), (QStringList{u"95"_s, u"90"_s, u"70"_s, u"60"_s, u"50"_s, u"30"_s, u"10"_s,
                                     u"06"_s, u"05"_s}));
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {2, 3}, {5, 5}, {7, 8}};
    EXPECT_EQ(insertions(inserted), expected);

    // Into an empty list a batch is one insertion, ties in arrival order.
    model.clear();
    inserted.clear();
    model.addRows({row(u"p"_s, u" 20"_s), row(u"q"_s, u" 40"_s), row(u"r"_s, u" 20"_s)});
    EXPECT_EQ(titles(), (QStringList{u"q"_s, u"p"_s, u"r"_s}));
    EXPECT_EQ(insertions(inserted), (std::vector<std::pair<int, int>>{{0, 2}}));
}

TEST_F(Results, ClearEmptiesTheListAndKeepsTheSorting)
{
    model.setSort(ResultsModel::SiteColumn, Qt::AscendingOrder);
    add({row(u"a"_s, {}, u"jp"_s), row(u"b"_s, {}, u"com"_s)});
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.clear();
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(model.rows().isEmpty());
    EXPECT_EQ(model.sortColumn(), ResultsModel::SiteColumn);
    EXPECT_EQ(model.sortOrder(), Qt::AscendingOrder);

    add({row(u"c"_s, {}, u"net"_s), row(u"d"_s, {}, u"com"_s)});
    EXPECT_EQ(titles(), (QStringList{u"d"_s, u"c"_s}));
}

TEST_F(Results, ResortMovesPersistentIndexesWithTheirRows)
{
    add({row(u"a"_s, u" 10"_s), row(u"b"_s, u" 30"_s), row(u"c"_s, u" 20"_s)});
    const QPersistentModelIndex b(model.index(0, ResultsModel::SiteColumn));
    const QPersistentModelIndex a(model.index(2, ResultsModel::TitleColumn));
    QSignalSpy aboutToChange(&model, &QAbstractItemModel::layoutAboutToBeChanged);
    QSignalSpy changed(&model, &QAbstractItemModel::layoutChanged);

    model.columnClicked(ResultsModel::TitleColumn);
    EXPECT_EQ(aboutToChange.size(), 1);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.at(0).at(1).value<QAbstractItemModel::LayoutChangeHint>(),
              QAbstractItemModel::VerticalSortHint);
    EXPECT_EQ(b.row(), 1);
    EXPECT_EQ(b.column(), ResultsModel::SiteColumn);
    EXPECT_EQ(b.data(ResultsModel::HtmlRole).toString(), u"<a href=\"x\">b</a>");
    EXPECT_EQ(a.row(), 0);
}

// Enough rows, added one at a time and in batches, for the display order to
// be cut into many blocks; every order must equal a plain stable sort of the
// rows by arrival. The model tester walks the whole list on every insertion,
// so it watches only the re-sorts and the last few insertions.
TEST(ResultsMany, MatchAStableSortOfTheArrivals)
{
    ResultsModel model;
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> relevance(0, 120);
    std::uniform_int_distribution<int> letter(0, 5);
    std::uniform_int_distribution<int> batchSize(1, 300);
    QList<ResultRow> arrived;
    const auto next = [&] {
        const QString figure =
            relevance(random) == 0 ? QString() : u"%1"_s.arg(relevance(random), 3);
        const QString title =
            QString(QChar(u"aAbBあア"[letter(random)])) + QString::number(int(arrived.size() % 7));
        arrived.append(row(title, figure, u"site"_s + QString::number(letter(random))));
        return arrived.back();
    };
    while (arrived.size() < 4000) {
        if (letter(random) < 3) {
            model.addRow(next());
        } else {
            QList<ResultRow> batch;
            for (int n = batchSize(random); n > 0; --n)
                batch.append(next());
            model.addRows(batch);
        }
    }

    const auto expectOrder = [&](int column, Qt::SortOrder order) {
        QList<ResultRow> expected = arrived;
        std::stable_sort(expected.begin(), expected.end(),
                         [column, order](const ResultRow& x, const ResultRow& y) {
                             const QString* tx[] = {&x.title, &x.plugin, &x.relevance, &x.site};
                             const QString* ty[] = {&y.title, &y.plugin, &y.relevance, &y.site};
                             const int c = tx[column]->compare(*ty[column], Qt::CaseInsensitive);
                             return order == Qt::AscendingOrder ? c < 0 : c > 0;
                         });
        ASSERT_EQ(model.rowCount(), expected.size());
        EXPECT_TRUE(model.rows() == expected) << "column " << column << " order " << order;
        for (int r = 0; r < model.rowCount(); r += 97)
            EXPECT_EQ(model.index(r, 0).data().toString(), expected[r].title);
    };
    expectOrder(ResultsModel::RelevanceColumn, Qt::DescendingOrder);

    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    model.setSort(ResultsModel::TitleColumn, Qt::AscendingOrder);
    expectOrder(ResultsModel::TitleColumn, Qt::AscendingOrder);
    for (int n = 0; n < 50; ++n)
        model.addRow(next());
    expectOrder(ResultsModel::TitleColumn, Qt::AscendingOrder);
    model.setSort(ResultsModel::SiteColumn, Qt::DescendingOrder);
    expectOrder(ResultsModel::SiteColumn, Qt::DescendingOrder);
}

TEST(ResultColumnWidths, SplitsTheInnerWidthFourWays)
{
    const std::array<double, 4> widths = ResultColumnWidths(8280, 240, 60);
    EXPECT_DOUBLE_EQ(widths[0], 3152.0);
    EXPECT_DOUBLE_EQ(widths[1], 1024.4);
    EXPECT_DOUBLE_EQ(widths[2], 551.6);
    EXPECT_DOUBLE_EQ(widths[3], 3152.0);
    EXPECT_NEAR(widths[0] + widths[1] + widths[2] + widths[3], 7880.0, 1e-9);
}

TEST(ResultColumnWidths, InnerWidthRoundsHalvesToEven)
{
    // 8280.5 - 240 - 60 - 100 = 7880.5 -> 7880; 7881.5 -> 7882.
    EXPECT_DOUBLE_EQ(ResultColumnWidths(8280.5, 240, 60)[0], 3152.0);
    EXPECT_DOUBLE_EQ(ResultColumnWidths(8281.5, 240, 60)[0], 7882 * 4 / 10.0);
    EXPECT_DOUBLE_EQ(ResultColumnWidths(8280, 239.5, 60)[0], 3152.0);
    EXPECT_DOUBLE_EQ(ResultColumnWidths(8280.6, 240, 60)[3], 7881 * 4 / 10.0);
    EXPECT_DOUBLE_EQ(ResultColumnWidths(8280.4, 240, 60)[1], 7880 * 1.3 / 10.0);
    // W × 4 past the 32-bit range is still exact.
    EXPECT_DOUBLE_EQ(ResultColumnWidths(2.0e9, 0, 0)[0], 2.0e9 * 0.4 - 40);
}
