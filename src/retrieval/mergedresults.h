#pragma once

#include "retrieval/resultrow.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace sokuri {

class ResultsModel;

// The results list with the rows of one page taken together: rows whose
// title links point to the same page show as one row, placed where the
// first of them stands, whose plugin column names every engine that found
// it and whose relevance is the sum of their figures (at most 999), so a page
// that several engines found ranks first. The merged rows are sorted as the
// results list sorts its own. Same columns and roles as the results list;
// the results list itself keeps every row (documents store them unmerged).
class MergedResultsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit MergedResultsModel(ResultsModel& source, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const ResultRow& rowAt(int row) const { return m_rows.at(row); }

private:
    void rebuild();

    QPointer<ResultsModel> m_source;
    QList<ResultRow> m_rows;
};

// The figure of a merged row: the sum of its rows' figures, at most 999,
// right-aligned in three characters; empty when no row has one.
QString SumOfFigures(const QStringList& figures);

// The address of a row's title link: the href of the first link whose text
// holds the title, else of the first link; empty without one.
QString TitleLink(const ResultRow& row);

// The form in which two page addresses are the same page: scheme and host in
// lower case, the scheme's default port dropped, the fragment and a trailing
// "/" of the path dropped. A text that is no absolute address stays as it is.
QString PageKey(const QString& address);

} // namespace sokuri
