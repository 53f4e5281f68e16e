#pragma once

#include <QSortFilterProxyModel>
#include <QString>

namespace sokuri {

// The results list narrowed to the rows whose title, plugin or site holds
// the filter text. Letters compare without regard to case, and full-width
// and half-width forms (of letters, digits and katakana) match each other.
// It only hides rows: the order stays the results list's own.
class ResultsFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    const QString& filterText() const { return m_text; }
    // An empty text shows every row.
    void setFilterText(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_text;   // as typed
    QString m_folded; // as compared
};

// The form in which filter texts compare: compatibility forms folded
// (ｶﾀｶﾅ to カタカナ, ＡＢＣ１ to ABC1) and case folded.
QString FoldForFilter(const QString& text);

} // namespace sokuri
