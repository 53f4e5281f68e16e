#include "app/frmsokuri.h"

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
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace sokuri {

using namespace Qt::StringLiterals;
QAction* frmSokuri::addMenuEntry(QMenu* menu, const QString& name, const QString& caption,
                                 void (frmSokuri::*handler)())
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void frmSokuri::buildMenus()
{
    QMenu* file = menuBar()->addMenu(u"ファイル(&F)"_s);
    file->setObjectName(u"mnuFile"_s);
    addMenuEntry(file, u"mnuFileNew"_s, u"新規作成(&N)"_s, &frmSokuri::mnuFileNew_Click);
    addMenuEntry(file, u"mnuFileOpen"_s, u"開く(&O)"_s, &frmSokuri::mnuFileOpen_Click);
    // The names run crosswise to the captions: mnuFileSaveas is Save and
    // mnuFileSave is Save As.
    addMenuEntry(file, u"mnuFileSaveas"_s, u"上書き保存(&S)"_s, &frmSokuri::mnuFileSaveas_Click);
    addMenuEntry(file, u"mnuFileSave"_s, u"名前を付けて保存(&A)"_s, &frmSokuri::mnuFileSave_Click);
    file->addSeparator();
    m_recentMenu = new RecentFilesMenu(u"最近使ったファイル"_s, *m_messages, file);
    file->addMenu(m_recentMenu);
    connect(m_recentMenu, &RecentFilesMenu::chosen, this, &frmSokuri::openDocumentFile);
    addMenuEntry(file, u"mnuFileExport"_s, u"結果を書き出す…"_s, &frmSokuri::mnuFileExport_Click);
    file->addSeparator()->setObjectName(u"mnuFileList1"_s);
    addMenuEntry(file, u"mnuFileEnd"_s, u"終了(&X)"_s, &frmSokuri::mnuFileEnd_Click);

    QMenu* edit = menuBar()->addMenu(u"編集(E)"_s);
    edit->setObjectName(u"mnuEdit"_s);
    addMenuEntry(edit, u"mnuEditOption"_s, u"設定(&E)"_s, &frmSokuri::mnuEditOption_Click);
    buildKeywordCommands(edit);

    QMenu* view = menuBar()->addMenu(u"表示(&V)"_s);
    view->setObjectName(u"mnuDisp"_s);
    addMenuEntry(view, u"mnuDispPlugin"_s, u"プラグインを最新の情報に更新(&R)"_s,
                 &frmSokuri::mnuDispPlugin_Click);
    addMenuEntry(view, u"mnuDispPluginupdate"_s, u"プラグインをアップデート(&U)"_s,
                 &frmSokuri::mnuDispPluginupdate_Click);
    addMenuEntry(view, u"mnuDispPluginManager"_s, u"プラグインの管理…"_s,
                 &frmSokuri::mnuDispPluginManager_Click);
    view->addSeparator();
    m_mergeAction = addMenuEntry(view, u"mnuDispMerge"_s, u"同じページをまとめる(&M)"_s,
                                 &frmSokuri::mnuDispMerge_Click);
    m_mergeAction->setCheckable(true);

    QMenu* help = menuBar()->addMenu(u"ヘルプ(&H)"_s);
    help->setObjectName(u"mnuHelp"_s);
    QAction* helpPage =
        addMenuEntry(help, u"mnuHelpSokuri"_s, u"Sokuri ヘルプ"_s, &frmSokuri::mnuHelpSokuri_Click);
    helpPage->setShortcut(QKeySequence(Qt::Key_F1));
    helpPage->setShortcutContext(Qt::WindowShortcut);
    addMenuEntry(help, u"mnuHelpVersion"_s, u"バージョン情報(&A)"_s,
                 &frmSokuri::mnuHelpVersion_Click);

    // Never in the menu bar: shown over the plugin list by a right click.
    m_popup = new QMenu(this);
    m_popup->setObjectName(u"ListView1PopupMenu"_s);
    QAction* open = m_popup->addAction(u"開く"_s);
    open->setObjectName(u"popListView1Open"_s);
    connect(open, &QAction::triggered, this, [this] { OpenPluginSite(u"_top"_s); });
    QAction* openNew = m_popup->addAction(u"新しいウィンドゥで開く"_s);
    openNew->setObjectName(u"popListView1New"_s);
    connect(openNew, &QAction::triggered, this, [this] { OpenPluginSite(u"_blank"_s); });
    QAction* remove = m_popup->addAction(u"削除"_s);
    remove->setObjectName(u"popListView1Remove"_s);
    connect(remove, &QAction::triggered, this, &frmSokuri::popListView1Remove_Click);
    // Every engine of one kind ticked or cleared at once; filled when shown.
    m_kindMenu = m_popup->addMenu(u"種類でまとめて選ぶ"_s);
    m_kindMenu->setObjectName(u"popListView1Kinds"_s);
}

} // namespace sokuri
