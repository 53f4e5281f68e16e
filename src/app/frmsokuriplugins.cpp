#include "app/frmsokuri.h"

#include "app/busypointer.h"
#include "app/pluginlistrests.h"
#include "dialogs/pluginmanagerrests.h"

#include "app/recentfilesmenu.h"
#include "app/resultslistcommands.h"
#include "app/searchrun.h"
#include "app/windowgeometry.h"
#include "dialogs/frmabout.h"
#include "dialogs/frmoptions.h"
#include "dialogs/frmpluginmanager.h"
#include "dialogs/frmpluginupdate.h"
#include "documents/documentcommands.h"
#include "documents/documentlocation.h"
#include "encoding/codepage932.h"
#include "platform/desktopbrowser.h"
#include "platform/externalbrowser.h"
#include "platform/qtfiledialogs.h"
#include "platform/qtmessagesink.h"
#include "retrieval/mergedresults.h"
#include "retrieval/resultpage.h"
#include "retrieval/resultsexport.h"
#include "retrieval/resultsfilter.h"
#include "searchplugins/pluginstore.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTreeView>

namespace sokuri {

using namespace Qt::StringLiterals;

void frmSokuri::ListView1_MouseDown(const QPoint& position)
{
    const QModelIndex entry = m_listView1->indexAt(position);
    if (!entry.isValid())
        return;
    m_listView1->selectionModel()->setCurrentIndex(entry, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    fillKindMenu();
    m_popup->popup(m_listView1->viewport()->mapToGlobal(position));
}

void frmSokuri::fillKindMenu()
{
    // One entry a kind, ticked when every engine of it is: choosing it ticks
    // them all, or clears them all when they were.
    m_kindMenu->clear();
    const QStringList kinds = m_catalogue.categories();
    for (const QString& kind : kinds) {
        bool all = true;
        for (const CatalogueEntry& entry : m_catalogue.entries())
            all = all && (entry.category != kind || entry.checked);
        QAction* choose = m_kindMenu->addAction(kind);
        choose->setCheckable(true);
        choose->setChecked(all);
        connect(choose, &QAction::triggered, this,
                [this, kind, all] { m_catalogue.setCheckedByCategory(kind, !all); });
    }
    m_kindMenu->menuAction()->setVisible(!kinds.isEmpty());
}

void frmSokuri::OpenPluginSite(const QString& target)
{
    const QModelIndexList selected = m_listView1->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const QString url = selected.last().data(PluginCatalogue::UrlRole).toString();
    if (!url.isEmpty())
        OpenInBrowser(url, target);
}

void frmSokuri::mnuDispPlugin_Click()
{
    BusyPointer busy;
    m_catalogue.refresh(m_state.paths);
    UpdateExecButton();
}

void frmSokuri::mnuDispPluginupdate_Click()
{
    // The update pass refreshes the catalogue itself when it ends.
    frmPluginUpdate update(m_state.paths, m_catalogue, *m_messages, this);
    update.exec();
    UpdateExecButton();
}

void frmSokuri::mnuDispPluginManager_Click()
{
    frmPluginManager manager(m_state.paths, m_catalogue, *m_messages, *m_dialogs, this);
    connect(&manager.rests(), &PluginManagerRests::openRequested, this,
            [this](const QString& url) { OpenInBrowser(url, u"_blank"_s); });
    manager.exec();
    if (auto* rests = findChild<PluginListRests*>())
        rests->refresh();
}

void frmSokuri::popListView1Remove_Click()
{
    const QModelIndexList selected = m_listView1->selectionModel()->selectedRows();
    if (!selected.isEmpty())
        RemovePluginAsked(m_state.paths, m_catalogue, *m_messages,
                          selected.last().data(Qt::DisplayRole).toString());
}

} // namespace sokuri
