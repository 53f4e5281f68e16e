#include "app/frmsokuri.h"

#include "app/pluginlistrests.h"

#include "app/recentfilesmenu.h"
#include "app/resultslistcommands.h"
#include "app/searchedkeywords.h"
#include "app/searchrun.h"
#include "app/windowgeometry.h"
#include "common/searchsettings.h"
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
#include "retrieval/keywordmarks.h"
#include "retrieval/mergedresults.h"
#include "retrieval/resultpage.h"
#include "retrieval/resultsexport.h"
#include "retrieval/resultsfilter.h"
#include "searchplugins/pluginstore.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QTreeView>
#include <QUrl>

namespace sokuri {

using namespace Qt::StringLiterals;

frmSokuri::frmSokuri(const Platform& platform, QWidget* parent)
    : QMainWindow(parent)
    , m_messages(platform.messages)
    , m_dialogs(platform.dialogs)
    , m_browser(platform.browser)
{
    if (!m_messages) {
        m_ownMessages = std::make_unique<QtMessageSink>(this);
        m_messages = m_ownMessages.get();
    }
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<QtFileDialogs>(this);
        m_dialogs = m_ownDialogs.get();
    }
    if (!m_browser) {
        m_ownBrowser = std::make_unique<DesktopBrowser>();
        m_browser = m_ownBrowser.get();
    }

    setObjectName(u"frmSokuri"_s);
    // The design caption, until the New command of the start-up sets it.
    setWindowTitle(DocumentCommands::untitledName() + u" - Sokuri");
    buildControls();
    buildMenus();
}

frmSokuri::~frmSokuri() = default;

bool frmSokuri::Form_Load(const LoadOptions& options)
{
    m_programDir = options.programDir;
    const int scrollBarPixels = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QString folderError;
    m_state = InitAppState(options.appDir, pixelsToTwipsX(scrollBarPixels), &folderError);
    if (!folderError.isEmpty())
        m_messages->critical({folderError, u"Sokuri"_s});

    m_listView2->move(0, m_listView2->y());
    m_webBrowser1->move(0, m_webBrowser1->y());
    m_cancel->setEnabled(false);

    UserMessage missing;
    if (!LoadSettings(m_state.paths, m_settings, &missing)) {
        m_messages->critical(missing);
        return false;
    }

    m_run = std::make_unique<SearchRun>(m_state.paths, m_catalogue, m_results, *m_messages);
    m_run->setChasenSettings(m_settings);
    m_run->setDefaultTimeout(LoadSearchTimeout(m_state.paths));
    m_run->setSearchSettings(LoadSearchSettings(m_state.paths));
    connect(m_run.get(), &SearchRun::finished, this, [this] {
        m_engineStatus->setToolTip(m_engineStatus->text());
        m_engineStatus->setText(DescribeRunEnd(m_run->engineStatuses(), m_results.rowCount()));
    });
    connect(m_run.get(), &SearchRun::started, this, &frmSokuri::searchStarted);
    connect(m_run.get(), &SearchRun::canStopChanged, m_cancel, &QPushButton::setEnabled);
    connect(m_run.get(), &SearchRun::finished, this, &frmSokuri::EndSearch);
    connect(m_run.get(), &SearchRun::engineStatusChanged, this, &frmSokuri::showEngineStatuses);
    connect(m_run.get(), &SearchRun::started, m_engineStatus, &QLabel::clear);
    auto* searched = new QLabel(this);
    searched->setObjectName(u"searchedKeywords"_s);
    statusBar()->insertWidget(0, searched);
    connect(m_run.get(), &SearchRun::started, searched, &QLabel::clear);
    // Resting engines in the plugin list, its pop-up's 再開 and ブラウザで開く.
    auto* rests =
        new PluginListRests(m_state.paths, *m_listView1, *m_popup,
                            [this](const QString& url) { OpenInBrowser(url, u"_blank"_s); });
    rests->setObjectName(u"PluginListRests"_s);
    connect(m_run.get(), &SearchRun::restsChanged, rests, &PluginListRests::refresh);
    connect(m_run.get(), &SearchRun::finished, rests, &PluginListRests::refresh);
    connect(
        m_run.get(), &SearchRun::keywordsChosen, searched,
        [searched](const QStringList& words) { searched->setText(SearchedKeywordsText(words)); });

    m_documents = std::make_unique<DocumentCommands>(m_state.paths, m_catalogue, m_results,
                                                     *m_dialogs, *m_messages);
    connect(m_documents.get(), &DocumentCommands::titleChanged, this, &frmSokuri::setWindowTitle);
    connect(m_documents.get(), &DocumentCommands::viewerCleared, this, &frmSokuri::blankViewer);
    connect(m_documents.get(), &DocumentCommands::documentUsed, m_recentMenu,
            &RecentFilesMenu::add);
    m_recentMenu->load(m_state.paths.IniPath);

    mnuFileNew_Click();
    Form_Resize();
    SetUpPluginList();
    SetUpResultsList();
    // The layout the user left, where sokuri.ini keeps it; the design's
    // for every part that is missing or damaged.
    ApplyWindowLayout(*this, *m_listView2,
                      LoadWindowLayout(m_state.paths.IniPath, ResultsModel::ColumnCount));
    if (LoadSearchSettings(m_state.paths).merge) {
        m_mergeAction->setChecked(true);
        mnuDispMerge_Click();
    }
    QString animation;
    if (!m_programDir.isEmpty())
        animation = m_programDir + u"/busy.gif";
    openAnimation(animation);
    m_catalogue.load(m_state.paths);
    UpdateExecButton();
    return true;
}

bool frmSokuri::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_listView1->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton)
            ListView1_MouseDown(press->position().toPoint());
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmSokuri::mnuFileEnd_Click()
{
    close();
}

void frmSokuri::mnuEditOption_Click()
{
    frmOptions options(m_state.paths, this);
    options.setFileDialogs(m_dialogs);
    options.setMessageSink(m_messages);
    options.exec();
    reloadSettings();
}

void frmSokuri::reloadSettings()
{
    // A vanished sokuri.ini is reported and the settings in use stay.
    UserMessage missing;
    if (!LoadSettings(m_state.paths, m_settings, &missing)) {
        m_messages->critical(missing);
        return;
    }
    if (m_run) {
        m_run->setChasenSettings(m_settings);
        m_run->setDefaultTimeout(LoadSearchTimeout(m_state.paths));
        m_run->setSearchSettings(LoadSearchSettings(m_state.paths));
    }
}

void frmSokuri::mnuHelpSokuri_Click()
{
    QString help = m_state.paths.HelpPath;
    // An installed program keeps the help page beside itself, not in the
    // user's folder.
    if (!QFileInfo::exists(help) && !m_programDir.isEmpty())
        help = m_programDir + u"/help/index.html";
    OpenInBrowser(QUrl::fromLocalFile(help).toString(), u"_blank"_s);
}

void frmSokuri::mnuHelpVersion_Click()
{
    frmAbout about(this);
    about.setMessageSink(m_messages);
    about.exec();
}

void frmSokuri::closeEvent(QCloseEvent* event)
{
    // Kept only beside settings that exist: a vanished sokuri.ini is not
    // made again holding the layout alone.
    if (m_documents && QFileInfo(m_state.paths.IniPath).isFile())
        SaveWindowLayout(m_state.paths.IniPath, CaptureWindowLayout(*this, *m_listView2));
    QMainWindow::closeEvent(event);
}

} // namespace sokuri
