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
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// The most of a result page the viewer reads back; the page is the entry
// the program wrote itself, so this only guards against a replaced file.
constexpr qint64 MaxPageBytes = 16 * 1024 * 1024;

// The hourglass while a command works, the default pointer after it.
class BusyPointer
{
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

} // namespace

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
    connect(m_run.get(), &SearchRun::started, this, &frmSokuri::searchStarted);
    connect(m_run.get(), &SearchRun::canStopChanged, m_cancel, &QPushButton::setEnabled);
    connect(m_run.get(), &SearchRun::finished, this, &frmSokuri::EndSearch);
    connect(m_run.get(), &SearchRun::engineStatusChanged, this, &frmSokuri::showEngineStatuses);
    connect(m_run.get(), &SearchRun::started, m_engineStatus, &QLabel::clear);

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
    QString animation;
    if (!m_programDir.isEmpty())
        animation = m_programDir + u"/busy.gif";
    openAnimation(animation);
    m_catalogue.load(m_state.paths);
    UpdateExecButton();
    return true;
}

void frmSokuri::UpdateExecButton()
{
    // The Search button stays disabled for the whole run, also when the run
    // writes the trimmed text back into the input line.
    if (m_run && m_run->isRunning())
        return;
    m_exec->setEnabled(sokuri::UpdateExecButton(inputState().mode, m_text1->text(), m_catalogue));
}

InputState frmSokuri::inputState() const
{
    InputState input;
    input.text = m_text1->text();
    if (m_option1->isChecked())
        input.mode = InputMode::Sentence;
    else if (m_option2->isChecked())
        input.mode = InputMode::Keywords;
    return input;
}

void frmSokuri::setInputState(const InputState& input)
{
    // Exclusive buttons cannot be switched off one by one.
    m_modes->setExclusive(false);
    m_option1->setChecked(input.mode == InputMode::Sentence);
    m_option2->setChecked(input.mode == InputMode::Keywords);
    m_modes->setExclusive(true);
    m_text1->setText(input.text);
}

void frmSokuri::Exec_Click()
{
    if (!m_run)
        return;
    m_run->start(inputState().mode, m_text1->text());
}

void frmSokuri::searchStarted(const QString& trimmedText)
{
    if (m_movie && m_movie->isValid())
        m_movie->start();
    setInputEnabled(false);
    blankViewer();
    m_cancel->setEnabled(m_run->canStop());
    m_exec->setEnabled(false);
    m_text1->setText(trimmedText);
}

void frmSokuri::Cancel_Click()
{
    if (m_run)
        m_run->stop();
}

void frmSokuri::EndSearch()
{
    m_exec->setEnabled(true);
    m_cancel->setEnabled(false);
    setInputEnabled(true);
    if (m_movie && m_movie->isValid()) {
        m_movie->stop();
        m_movie->jumpToFrame(0);
    }
}

void frmSokuri::setInputEnabled(bool enabled)
{
    m_text1->setEnabled(enabled);
    m_frame1->setEnabled(enabled);
    m_listView1->setEnabled(enabled);
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

void frmSokuri::ListView1_MouseDown(const QPoint& position)
{
    const QModelIndex entry = m_listView1->indexAt(position);
    if (!entry.isValid())
        return;
    m_listView1->selectionModel()->setCurrentIndex(entry, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    m_popup->popup(m_listView1->viewport()->mapToGlobal(position));
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

void frmSokuri::OpenInBrowser(const QString& url, const QString& target)
{
    // A browser that cannot be reached is reported; the program goes on.
    ExternalBrowser::Failure failure;
    if (!m_browser->open(url, target, failure))
        m_messages->critical({failure.source + u'\r' + failure.description,
                              u"Error "_s + QString::number(failure.number)});
}

void frmSokuri::ListView2_ItemClick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const QString html = index.siblingAtColumn(0).data(ResultsModel::HtmlRole).toString();
    QString error;
    if (!WriteResultPage(m_state.paths.TmpPath, html, &error)) {
        m_messages->critical({error, u"Sokuri"_s});
        return;
    }
    QFile page(ResultPagePath(m_state.paths.TmpPath));
    if (!page.open(QIODevice::ReadOnly)) {
        m_messages->critical({page.fileName() + u" を開けません。"_s, u"Sokuri"_s});
        return;
    }
    m_webBrowser1->setHtml(cp932::decode(page.read(MaxPageBytes)));
}

void frmSokuri::WebBrowser1_LinkClick(const QUrl& url)
{
    // A link within the entry moves the viewer; every other one opens in the
    // desktop's browser, the same window for every result link.
    if (url.isRelative() && url.path().isEmpty() && url.hasFragment()) {
        m_webBrowser1->scrollToAnchor(url.fragment());
        return;
    }
    OpenInBrowser(url.toString(), u"_sokuri"_s);
}

void frmSokuri::blankViewer()
{
    m_webBrowser1->clear();
}

void frmSokuri::mnuFileNew_Click()
{
    if (!m_documents)
        return;
    BusyPointer busy;
    setInputState(m_documents->newDocument());
    UpdateExecButton();
}

void frmSokuri::mnuFileOpen_Click()
{
    if (!m_documents)
        return;
    InputState input = inputState();
    if (m_documents->open(input)) {
        setInputState(input);
        UpdateExecButton();
    }
}

void frmSokuri::mnuFileSaveas_Click()
{
    if (m_documents)
        m_documents->save(inputState());
}

void frmSokuri::mnuFileSave_Click()
{
    if (m_documents)
        m_documents->saveAs(inputState());
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
    }
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
    manager.exec();
}

void frmSokuri::popListView1Remove_Click()
{
    const QModelIndexList selected = m_listView1->selectionModel()->selectedRows();
    if (!selected.isEmpty())
        RemovePluginAsked(m_state.paths, m_catalogue, *m_messages,
                          selected.last().data(Qt::DisplayRole).toString());
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

void frmSokuri::mnuDispMerge_Click()
{
    // The merged view follows the results list only while it is shown.
    if (m_mergeAction->isChecked()) {
        m_merged = std::make_unique<MergedResultsModel>(m_results);
        m_filter->setSourceModel(m_merged.get());
    } else {
        m_filter->setSourceModel(&m_results);
        m_merged.reset();
    }
    showSortIndicator();
}

void frmSokuri::showEngineStatuses()
{
    QStringList parts;
    for (const EngineStatus& status : m_run->engineStatuses())
        parts.append(status.plugin + u": "_s + DescribeStatus(status));
    m_engineStatus->setText(parts.join(u"　"_s));
}

void frmSokuri::openDocumentFile(const QString& path)
{
    if (!m_documents)
        return;
    InputState input = inputState();
    if (m_documents->openFile(path, input)) {
        setInputState(input);
        UpdateExecButton();
    }
}

void frmSokuri::closeEvent(QCloseEvent* event)
{
    // Kept only beside settings that exist: a vanished sokuri.ini is not
    // made again holding the layout alone.
    if (m_documents && QFileInfo(m_state.paths.IniPath).isFile())
        SaveWindowLayout(m_state.paths.IniPath, CaptureWindowLayout(*this, *m_listView2));
    QMainWindow::closeEvent(event);
}

void frmSokuri::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && !DroppedDocumentPath(event->mimeData()->urls()).isEmpty())
        event->acceptProposedAction();
}

void frmSokuri::dropEvent(QDropEvent* event)
{
    const QString path =
        event->mimeData()->hasUrls() ? DroppedDocumentPath(event->mimeData()->urls()) : QString();
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened after the drop has ended: a bad file's message must not hold
    // up the desktop's drag.
    QMetaObject::invokeMethod(
        this, [this, path] { openDocumentFile(path); }, Qt::QueuedConnection);
}

void frmSokuri::mnuFileExport_Click()
{
    const QString folder =
        m_documents && m_documents->docFileName() != DocumentCommands::untitledName()
            ? QFileInfo(m_documents->docFileName()).absolutePath()
            : m_state.paths.AppPath;
    const QString chosen = m_dialogs->saveFileName(
        {folder, u"results.csv"_s, {u"CSV (*.csv)"_s, u"HTML (*.html *.htm)"_s}, u"csv"_s});
    if (chosen.isEmpty())
        return;
    QString error;
    const QString heading = u"Sokuri: "_s + m_text1->text();
    if (!ExportResults(chosen, m_resultsCommands->shownRows(), heading, &error))
        m_messages->critical({error, u"Sokuri"_s});
}

} // namespace sokuri
