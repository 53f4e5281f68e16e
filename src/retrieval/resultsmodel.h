#pragma once

#include "retrieval/resultrow.h"

#include <QAbstractTableModel>
#include <QList>
#include <QVariant>

#include <array>
#include <memory>
#include <vector>

namespace sokuri {

// The results list: every engine's rows in one table of four columns (title,
// plugin, relevance, site), kept sorted by the text of one column while rows
// arrive. At first the list is sorted by relevance, descending, so the
// best-rated entries come first. Texts compare without regard to case; rows
// of equal text keep the order in which they arrived, whichever the order.
class ResultsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Columns { TitleColumn, PluginColumn, RelevanceColumn, SiteColumn, ColumnCount };
    enum Roles {
        HtmlRole = Qt::UserRole + 1, // the entry's rewritten HTML (the row's tag)
        RowRole,                     // the whole ResultRow
    };

    explicit ResultsModel(QObject* parent = nullptr);
    ~ResultsModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Places the row where the current sorting puts it.
    void addRow(const ResultRow& row);
    // Places a batch of rows; rows that land side by side are announced as
    // one insertion.
    void addRows(const QList<ResultRow>& rows);
    // Removes every row; the sorting stays as it is.
    void clear();

    // The row shown at displayRow (0 <= displayRow < rowCount()); the
    // reference holds until rows are added or cleared.
    const ResultRow& rowAt(int displayRow) const;
    // Every row in display order, as documents store them.
    QList<ResultRow> rows() const;

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // Sorts by column (0 to 3) in the given order from now on. Other columns
    // are ignored.
    void setSort(int column, Qt::SortOrder order);
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // A click on a column header: the sort column again switches the order,
    // another column becomes the sort column, ascending.
    void columnClicked(int column);

signals:
    void sortChanged(int column, Qt::SortOrder order);

private:
    // The display order as arrival indices into m_rows, held in blocks.
    class DisplayOrder;

    bool displaysBefore(int a, int b) const;
    int insertPosition(int arrival) const;
    void resort();

    std::vector<ResultRow> m_rows; // in arrival order; the index is the tie-breaker
    std::unique_ptr<DisplayOrder> m_order;
    int m_sortColumn = RelevanceColumn;
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
};

// The column widths of the results list, in twips, set once when the list is
// set up: W = the list's width less the scroll bar, the column margin and 100,
// rounded to a whole number (halves to even); the columns get 4/10, 1.3/10,
// 0.7/10 and 4/10 of W, unrounded.
std::array<double, 4> ResultColumnWidths(double listWidthTwips, double scrollBarWidthTwips,
                                         int columnMargin);

// The text of a row in one of the four columns (the site for any other).
const QString& ResultColumnText(const ResultRow& row, int column);

// Where row a is shown beside row b when the list is sorted by column in
// order, the texts compared without regard to letter case: below 0 before
// it, above 0 after it, 0 for equal texts.
int CompareShown(const ResultRow& a, const ResultRow& b, int column, Qt::SortOrder order);

} // namespace sokuri
