#pragma once

#include "retrieval/resultrow.h"

#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QModelIndex;
class QPoint;
class QTreeView;

namespace sokuri {

// What the results list offers beyond showing an entry: Enter or a
// double-click opens the row's address in the desktop's browser; the pop-up
// menu ListView2PopupMenu opens it (popListView2Open), copies the address
// (popListView2CopyAddress) or the title (popListView2CopyTitle), or asks
// for a search with the words of the row (popListView2SearchWords); Ctrl+C
// copies the selected rows as tab-separated text.
class ResultsListCommands : public QObject
{
    Q_OBJECT

public:
    explicit ResultsListCommands(QTreeView& view, QObject* parent = nullptr);

    // Every row the list shows (filtered, merged), in its order.
    QList<ResultRow> shownRows() const;
    // The selected rows, in the list's order.
    QList<ResultRow> selectedRows() const;
    QMenu* popupMenu() const { return m_popup; }

signals:
    // An address is to open in the desktop's browser.
    void openRequested(const QString& address);
    // A keyword search with the words of row is asked for.
    void searchWordsRequested(const sokuri::ResultRow& row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPopup(const QPoint& position);
    void openRow(const QModelIndex& index);
    void copyRows();
    ResultRow popupRow() const;

    QTreeView& m_view;
    QMenu* m_popup = nullptr;
};

} // namespace sokuri
