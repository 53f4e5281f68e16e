#include "retrieval/mergedresults.h"

#include "retrieval/characterreferences.h"
#include "retrieval/resultsmodel.h"

#include <QHash>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace sokuri {

namespace {

constexpr int MaxMergedFigure = 999;

} // namespace

QString SumOfFigures(const QStringList& figures)
{
    bool any = false;
    int sum = 0;
    for (const QString& figure : figures) {
        bool ok = false;
        const int value = figure.trimmed().toInt(&ok);
        if (ok && value > 0) {
            any = true;
            sum = std::min(MaxMergedFigure, sum + std::min(value, MaxMergedFigure));
        }
    }
    return any ? QStringLiteral("%1").arg(sum, 3, 10, QLatin1Char(' ')) : QString();
}

QString TitleLink(const ResultRow& row)
{
    static const QRegularExpression anchor(
        QStringLiteral(
            R"re(<a\s[^>]*?href\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+))[^>]*>(.*?)</a\s*>)re"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QString first;
    for (auto it = anchor.globalMatch(row.html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        QString href = match.captured(1);
        if (href.isEmpty())
            href = match.captured(2);
        if (href.isEmpty())
            href = match.captured(3);
        if (first.isEmpty())
            first = href;
        // The title's character references were decoded; the anchor's are not.
        if (!row.title.isEmpty() &&
            DecodeCharacterReferences(match.captured(4)).contains(row.title))
            return href;
    }
    return first;
}

QString PageKey(const QString& address)
{
    QUrl url(address.trimmed());
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return address;
    const QString scheme = url.scheme().toLower();
    url.setScheme(scheme);
    url.setHost(url.host().toLower());
    if ((scheme == u"http" && url.port() == 80) || (scheme == u"https" && url.port() == 443))
        url.setPort(-1);
    url.setFragment(QString());
    QString path = url.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path);
    return url.toString(QUrl::FullyEncoded | QUrl::RemoveFragment);
}

MergedResultsModel::MergedResultsModel(ResultsModel& source, QObject* parent)
    : QAbstractTableModel(parent)
    , m_source(&source)
{
    // Rows arrive in batches while a run goes on; the merged view is made
    // anew from the whole list each time, which keeps the first row of a
    // page where the results list's sorting puts it.
    connect(&source, &QAbstractItemModel::modelReset, this, &MergedResultsModel::rebuild);
    connect(&source, &QAbstractItemModel::layoutChanged, this, &MergedResultsModel::rebuild);
    connect(&source, &QAbstractItemModel::rowsInserted, this, &MergedResultsModel::rebuild);
    connect(&source, &QAbstractItemModel::rowsRemoved, this, &MergedResultsModel::rebuild);
    connect(&source, &ResultsModel::sortChanged, this, &MergedResultsModel::rebuild);
    rebuild();
}

void MergedResultsModel::rebuild()
{
    beginResetModel();
    m_rows.clear();
    if (m_source) {
        QHash<QString, int> rowOfPage;
        QList<QStringList> figures;
        for (int i = 0; i < m_source->rowCount(); ++i) {
            const ResultRow& row = m_source->rowAt(i);
            const QString link = TitleLink(row);
            // Rows without a link are pages of their own.
            const auto found = link.isEmpty() ? rowOfPage.end() : rowOfPage.find(PageKey(link));
            if (found == rowOfPage.end()) {
                if (!link.isEmpty())
                    rowOfPage.insert(PageKey(link), int(m_rows.size()));
                m_rows.append(row);
                figures.append(QStringList{row.relevance});
                continue;
            }
            ResultRow& merged = m_rows[found.value()];
            if (!merged.plugin.split(QStringLiteral(", ")).contains(row.plugin))
                merged.plugin += QStringLiteral(", ") + row.plugin;
            figures[found.value()].append(row.relevance);
        }
        for (qsizetype i = 0; i < m_rows.size(); ++i) {
            if (figures[i].size() > 1)
                m_rows[i].relevance = SumOfFigures(figures[i]);
        }
        // Sorted as the results list sorts: a merged figure may now rank
        // above rows that stood before it. Equal texts keep their order.
        const int column = m_source->sortColumn();
        const Qt::SortOrder order = m_source->sortOrder();
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [column, order](const ResultRow& a, const ResultRow& b) {
                             return CompareShown(a, b, column, order) < 0;
                         });
    }
    endResetModel();
}

int MergedResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MergedResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ResultsModel::ColumnCount;
}

QVariant MergedResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const ResultRow& row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return ResultColumnText(row, index.column());
    case ResultsModel::HtmlRole:
        return row.html;
    case ResultsModel::RowRole:
        return QVariant::fromValue(row);
    default:
        return {};
    }
}

QVariant MergedResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_source ? m_source->headerData(section, orientation, role) : QVariant();
}

} // namespace sokuri
