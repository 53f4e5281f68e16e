#include "retrieval/resultsfilter.h"

#include "retrieval/resultsmodel.h"

namespace sokuri {

QString FoldForFilter(const QString& text)
{
    // NFKC turns half-width katakana into full-width ones (joining a voiced
    // mark with its kana) and full-width letters and digits into ASCII.
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

void ResultsFilterModel::setFilterText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    m_folded = FoldForFilter(text);
    invalidateRowsFilter();
}

bool ResultsFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_folded.isEmpty())
        return true;
    const QAbstractItemModel* source = sourceModel();
    for (int column :
         {ResultsModel::TitleColumn, ResultsModel::PluginColumn, ResultsModel::SiteColumn}) {
        const QString text = source->index(sourceRow, column, sourceParent).data().toString();
        if (FoldForFilter(text).contains(m_folded))
            return true;
    }
    return false;
}

} // namespace sokuri
