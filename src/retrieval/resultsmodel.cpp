#include "retrieval/resultsmodel.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <span>

namespace sokuri {

// The display order is a chunked vector: arrival indices cut into blocks of
// at most MaxBlock entries, with the first display row of every block kept
// beside it. Reading a display row is a binary search over the block starts,
// O(log(n/B)). Inserting finds its place with O(log n) comparisons, moves at
// most B entries inside one block and shifts the starts of the later blocks,
// O(B + n/B); a block that grows past MaxBlock is split in two. n rows added
// one at a time cost O(n·(B + n/B)) moves instead of the O(n²) of one flat
// array, and with B in the hundreds both terms stay small up to the hundreds
// of thousands of rows.
class ResultsModel::DisplayOrder
{
public:
    static constexpr std::size_t MaxBlock = 1024;
    static constexpr std::size_t HalfBlock = MaxBlock / 2;

    int size() const { return m_size; }

    int at(int row) const
    {
        const std::size_t b = blockOf(row);
        return m_blocks[b][std::size_t(row - m_starts[b])];
    }

    // The first display row whose entry comes after arrival by less, or
    // size() when none does.
    template <typename Less> int upperBound(int arrival, const Less& less) const
    {
        // The first block whose last entry comes after arrival holds the place.
        std::size_t lo = 0;
        std::size_t hi = m_blocks.size();
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (less(arrival, m_blocks[mid].back()))
                hi = mid;
            else
                lo = mid + 1;
        }
        if (lo == m_blocks.size())
            return m_size;
        const std::vector<int>& block = m_blocks[lo];
        const auto it = std::upper_bound(block.begin(), block.end(), arrival, less);
        return m_starts[lo] + int(it - block.begin());
    }

    void insert(int row, std::span<const int> arrivals)
    {
        if (arrivals.empty())
            return;
        if (m_blocks.empty()) {
            assign(arrivals);
            return;
        }
        const std::size_t b = row == m_size ? m_blocks.size() - 1 : blockOf(row);
        std::vector<int>& block = m_blocks[b];
        block.insert(block.begin() + (row - m_starts[b]), arrivals.begin(), arrivals.end());
        m_size += int(arrivals.size());
        if (block.size() > MaxBlock)
            split(b);
        restart(b);
    }

    void assign(std::span<const int> arrivals)
    {
        m_blocks.clear();
        for (std::size_t i = 0; i < arrivals.size(); i += HalfBlock) {
            const std::size_t n = std::min(HalfBlock, arrivals.size() - i);
            m_blocks.emplace_back(arrivals.begin() + i, arrivals.begin() + i + n);
        }
        m_size = int(arrivals.size());
        m_starts.clear();
        restart(0);
    }

    void clear()
    {
        m_blocks.clear();
        m_starts.clear();
        m_size = 0;
    }

private:
    std::size_t blockOf(int row) const
    {
        const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), row);
        return std::size_t(it - m_starts.begin()) - 1;
    }

    // Cuts block b into pieces of about half a block each.
    void split(std::size_t b)
    {
        std::vector<int> whole = std::move(m_blocks[b]);
        const std::size_t pieces = (whole.size() + HalfBlock - 1) / HalfBlock;
        std::vector<std::vector<int>> parts(pieces);
        for (std::size_t p = 0, from = 0; p < pieces; ++p) {
            const std::size_t to = whole.size() * (p + 1) / pieces;
            parts[p].assign(whole.begin() + from, whole.begin() + to);
            from = to;
        }
        m_blocks.erase(m_blocks.begin() + b);
        m_blocks.insert(m_blocks.begin() + b, std::make_move_iterator(parts.begin()),
                        std::make_move_iterator(parts.end()));
    }

    // Recomputes the starts of block b and every block after it.
    void restart(std::size_t b)
    {
        m_starts.resize(m_blocks.size());
        int start = b == 0 ? 0 : m_starts[b - 1] + int(m_blocks[b - 1].size());
        for (std::size_t i = b; i < m_blocks.size(); ++i) {
            m_starts[i] = start;
            start += int(m_blocks[i].size());
        }
    }

    std::vector<std::vector<int>> m_blocks;
    std::vector<int> m_starts;
    int m_size = 0;
};

const QString& ResultColumnText(const ResultRow& row, int column)
{
    switch (column) {
    case ResultsModel::TitleColumn:
        return row.title;
    case ResultsModel::PluginColumn:
        return row.plugin;
    case ResultsModel::RelevanceColumn:
        return row.relevance;
    default:
        return row.site;
    }
}

int CompareShown(const ResultRow& a, const ResultRow& b, int column, Qt::SortOrder order)
{
    const int c = QString::compare(ResultColumnText(a, column), ResultColumnText(b, column),
                                   Qt::CaseInsensitive);
    return order == Qt::AscendingOrder ? c : -c;
}

namespace {

// Rounds to the nearest 32-bit integer, halves to the even neighbour; values
// beyond the range are held at its ends and a value that is no number is 0.
std::int32_t roundHalfToEven(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT32_MAX))
        return INT32_MAX;
    if (value <= double(INT32_MIN))
        return INT32_MIN;
    const double below = std::floor(value);
    const double fraction = value - below;
    double rounded = below + 1.0;
    if (fraction < 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) == 0.0))
        rounded = below;
    return std::int32_t(rounded);
}

} // namespace

ResultsModel::ResultsModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_order(std::make_unique<DisplayOrder>())
{}

ResultsModel::~ResultsModel() = default;

int ResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_order->size();
}

int ResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(ColumnCount);
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ResultRow& row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return ResultColumnText(row, index.column());
    case HtmlRole:
        return row.html;
    case RowRole:
        return QVariant::fromValue(row);
    default:
        return {};
    }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TitleColumn:
        return QStringLiteral("名前");
    case PluginColumn:
        return QStringLiteral("プラグイン");
    case RelevanceColumn:
        return QStringLiteral("関連");
    case SiteColumn:
        return QStringLiteral("サイト");
    default:
        return {};
    }
}

bool ResultsModel::displaysBefore(int a, int b) const
{
    const int c =
        CompareShown(m_rows[std::size_t(a)], m_rows[std::size_t(b)], m_sortColumn, m_sortOrder);
    // Equal texts: the earlier arrival first, in either order.
    return c != 0 ? c < 0 : a < b;
}

int ResultsModel::insertPosition(int arrival) const
{
    return m_order->upperBound(arrival, [this](int a, int b) { return displaysBefore(a, b); });
}

void ResultsModel::addRow(const ResultRow& row)
{
    const int arrival = int(m_rows.size());
    m_rows.push_back(row);
    const int position = insertPosition(arrival);
    beginInsertRows({}, position, position);
    m_order->insert(position, std::span<const int>(&arrival, 1));
    endInsertRows();
}

void ResultsModel::addRows(const QList<ResultRow>& rows)
{
    if (rows.isEmpty())
        return;
    const int first = int(m_rows.size());
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    const auto less = [this](int a, int b) {
        return displaysBefore(a, b);
    };
    std::vector<int> batch(std::size_t(rows.size()));
    std::iota(batch.begin(), batch.end(), first);
    std::sort(batch.begin(), batch.end(), less);

    // Walk the sorted batch; the new rows that fall between the same two
    // present rows form one run and are announced as one insertion.
    std::size_t i = 0;
    while (i < batch.size()) {
        const int position = m_order->upperBound(batch[i], less);
        std::size_t end = batch.size();
        if (position < m_order->size()) {
            const int next = m_order->at(position);
            end = i + 1;
            while (end < batch.size() && less(batch[end], next))
                ++end;
        }
        beginInsertRows({}, position, position + int(end - i) - 1);
        m_order->insert(position, std::span<const int>(batch.data() + i, end - i));
        endInsertRows();
        i = end;
    }
}

void ResultsModel::clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    m_order->clear();
    endResetModel();
}

const ResultRow& ResultsModel::rowAt(int displayRow) const
{
    Q_ASSERT(displayRow >= 0 && displayRow < m_order->size());
    return m_rows[std::size_t(m_order->at(displayRow))];
}

QList<ResultRow> ResultsModel::rows() const
{
    QList<ResultRow> result;
    result.reserve(m_order->size());
    for (int row = 0; row < m_order->size(); ++row)
        result.append(rowAt(row));
    return result;
}

void ResultsModel::setSort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    if (column == m_sortColumn && order == m_sortOrder)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    resort();
    emit sortChanged(m_sortColumn, m_sortOrder);
}

void ResultsModel::sort(int column, Qt::SortOrder order)
{
    setSort(column, order);
}

void ResultsModel::columnClicked(int column)
{
    if (column == m_sortColumn)
        setSort(column,
                m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
    else
        setSort(column, Qt::AscendingOrder);
}

void ResultsModel::resort()
{
    const int count = m_order->size();
    if (count == 0)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    const QModelIndexList before = persistentIndexList();
    std::vector<int> arrivalsBefore;
    arrivalsBefore.reserve(std::size_t(before.size()));
    for (const QModelIndex& index : before)
        arrivalsBefore.push_back(m_order->at(index.row()));

    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [this](int a, int b) { return displaysBefore(a, b); });
    m_order->assign(order);

    std::vector<int> positionOf(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row)
        positionOf[std::size_t(order[std::size_t(row)])] = row;
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(
            index(positionOf[std::size_t(arrivalsBefore[std::size_t(i)])], before[i].column()));
    changePersistentIndexList(before, after);

    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::array<double, 4> ResultColumnWidths(double listWidthTwips, double scrollBarWidthTwips,
                                         int columnMargin)
{
    const std::int32_t w =
        roundHalfToEven(listWidthTwips - scrollBarWidthTwips - double(columnMargin) - 100.0);
    // W × 4 is a whole-number product (taken in 64 bits so no width overflows)
    // and only then divided; the other two are floating products.
    const double outer = double(std::int64_t(w) * 4) / 10.0;
    return {outer, double(w) * 1.3 / 10.0, double(w) * 0.7 / 10.0, outer};
}

} // namespace sokuri
