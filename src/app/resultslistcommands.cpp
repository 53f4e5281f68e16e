#include "app/resultslistcommands.h"

#include "retrieval/resultsexport.h"
#include "retrieval/resultsmodel.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>

#include <algorithm>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

ResultRow rowOf(const QModelIndex& index)
{
    return index.siblingAtColumn(0).data(ResultsModel::RowRole).value<ResultRow>();
}

void copyText(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

} // namespace

ResultsListCommands::ResultsListCommands(QTreeView& view, QObject* parent)
    : QObject(parent)
    , m_view(view)
{
    m_view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view.setContextMenuPolicy(Qt::CustomContextMenu);
    m_view.installEventFilter(this);
    connect(&m_view, &QTreeView::customContextMenuRequested, this, &ResultsListCommands::showPopup);
    connect(&m_view, &QTreeView::activated, this, &ResultsListCommands::openRow);

    m_popup = new QMenu(&m_view);
    m_popup->setObjectName(u"ListView2PopupMenu"_s);
    const auto add = [this](const QString& name, const QString& caption, auto handler) {
        QAction* action = m_popup->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    add(u"popListView2Open"_s, u"ブラウザで開く"_s, [this] {
        const QString address = ResultAddress(popupRow().html, popupRow().title);
        if (!address.isEmpty())
            emit openRequested(address);
    });
    add(u"popListView2CopyAddress"_s, u"アドレスをコピー"_s,
        [this] { copyText(ResultAddress(popupRow().html, popupRow().title)); });
    add(u"popListView2CopyTitle"_s, u"タイトルをコピー"_s, [this] { copyText(popupRow().title); });
    m_popup->addSeparator();
    add(u"popListView2SearchWords"_s, u"この項目の語で検索"_s,
        [this] { emit searchWordsRequested(popupRow()); });
}

QList<ResultRow> ResultsListCommands::shownRows() const
{
    QList<ResultRow> rows;
    const QAbstractItemModel* model = m_view.model();
    if (!model)
        return rows;
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(rowOf(model->index(row, 0)));
    return rows;
}

QList<ResultRow> ResultsListCommands::selectedRows() const
{
    QModelIndexList selected = m_view.selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QList<ResultRow> rows;
    for (const QModelIndex& index : selected)
        rows.append(rowOf(index));
    return rows;
}

bool ResultsListCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copyRows();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ResultsListCommands::showPopup(const QPoint& position)
{
    const QModelIndex index = m_view.indexAt(position);
    if (!index.isValid())
        return;
    // A row outside the selection becomes the selection; within it, the
    // selection stays for Ctrl+C.
    if (!m_view.selectionModel()->isRowSelected(index.row(), index.parent()))
        m_view.selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    m_view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_popup->popup(m_view.viewport()->mapToGlobal(position));
}

void ResultsListCommands::openRow(const QModelIndex& index)
{
    const ResultRow row = rowOf(index);
    const QString address = ResultAddress(row.html, row.title);
    if (!address.isEmpty())
        emit openRequested(address);
}

void ResultsListCommands::copyRows()
{
    const QList<ResultRow> rows = selectedRows();
    if (!rows.isEmpty())
        copyText(ResultsAsTabText(rows));
}

ResultRow ResultsListCommands::popupRow() const
{
    return rowOf(m_view.currentIndex());
}

} // namespace sokuri
