#include "app/frmsokuri.h"

#include "app/pluginlistrests.h"
#include "app/recentfilesmenu.h"
#include "app/resultslistcommands.h"
#include "app/searchedkeywords.h"
#include "app/searchrun.h"
#include "app/systeminfo.h"
#include "app/windowgeometry.h"
#include "common/inifile.h"
#include "common/searchsettings.h"
#include "dialogs/frmabout.h"
#include "dialogs/frmhelp.h"
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

#ifndef SOKURI_LICENCE
#define SOKURI_LICENCE ""
#endif

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
    connect(m_run.get(), &SearchRun::finished, this, &frmSokuri::showRunEnd);
    connect(m_run.get(), &SearchRun::started, this, &frmSokuri::searchStarted);
    connect(m_run.get(), &SearchRun::canStopChanged, m_cancel, &QPushButton::setEnabled);
    connect(m_run.get(), &SearchRun::finished, this, &frmSokuri::EndSearch);
    connect(m_run.get(), &SearchRun::engineStatusChanged, this, &frmSokuri::showEngineStatuses);
    connect(m_run.get(), &SearchRun::started, this, &frmSokuri::clearRunStatus);
    connect(m_run.get(), &SearchRun::keywordsChosen, this, [this](const QStringList& words) {
        m_runKeywords = words;
        m_searchedKeywords->setText(SearchedKeywordsText(words));
        setStatusToolTip(RunToolTip(m_runKeywords, m_run->engineStatuses(), false));
    });
    // Resting engines in the plugin list, its pop-up's 再開 and ブラウザで開く.
    auto* rests =
        new PluginListRests(m_state.paths, *m_listView1, *m_popup,
                            [this](const QString& url) { OpenInBrowser(url, u"_blank"_s); });
    rests->setObjectName(u"PluginListRests"_s);
    connect(m_run.get(), &SearchRun::restsChanged, rests, &PluginListRests::refresh);
    connect(m_run.get(), &SearchRun::finished, rests, &PluginListRests::refresh);

    m_documents = std::make_unique<DocumentCommands>(m_state.paths, m_catalogue, m_results,
                                                     *m_dialogs, *m_messages);
    connect(m_documents.get(), &DocumentCommands::titleChanged, this, &frmSokuri::setWindowTitle);
    connect(m_documents.get(), &DocumentCommands::viewerCleared, this, &frmSokuri::blankViewer);
    connect(m_documents.get(), &DocumentCommands::documentUsed, m_recentMenu,
            &RecentFilesMenu::add);
    m_recentMenu->load(m_state.paths.IniPath);
    // The file dialogs start where the most recent document is.
    if (!m_recentMenu->paths().isEmpty())
        m_documents->setLastFolder(QFileInfo(m_recentMenu->paths().first()).absolutePath());

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
    // sokuri.ini's help/window=1 (the shipped settings) opens the help in a
    // window of the program's own, needing no web browser. Without it the
    // desktop's browser is asked first, and the program's window serves when
    // that browser cannot be reached.
    if (GetIniString(u"help"_s, u"window"_s, m_state.paths.IniPath).trimmed() != u"1") {
        ExternalBrowser::Failure failure;
        if (m_browser->open(QUrl::fromLocalFile(help).toString(), u"_blank"_s, failure))
            return;
    }
    if (!m_help) {
        m_help = new frmHelp(this);
        connect(m_help, &frmHelp::externalLinkClicked, this,
                [this](const QUrl& url) { OpenInBrowser(url.toString(), u"_blank"_s); });
    }
    m_help->showPage(help);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void frmSokuri::mnuHelpVersion_Click()
{
    frmAbout about(this);
    about.setMessageSink(m_messages);
    about.setFacts(aboutFacts());
    about.exec();
}

AboutFacts frmSokuri::aboutFacts() const
{
    AboutFacts facts;
    facts.licence = QString::fromUtf8(SOKURI_LICENCE);
    if (facts.licence.isEmpty())
        facts.licence = u"(このビルドには記されていません)"_s;
    facts.helpPath = m_state.paths.HelpPath;
    if (!QFileInfo::exists(facts.helpPath) && !m_programDir.isEmpty())
        facts.helpPath = m_programDir + u"/help/index.html";
    facts.pluginPath = m_state.paths.PluginPath;
    facts.settingsPath = m_state.paths.IniPath;
    facts.analyser = AnalyserDescription(m_settings);
    facts.analyserVersionOption = AnalyserVersionOption(m_settings);
    if (!facts.analyserVersionOption.isEmpty())
        facts.analyserProgram = m_settings.filename;
    return facts;
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
