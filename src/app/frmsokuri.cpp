#include "app/frmsokuri.h"

#include "app/documentdropfilter.h"
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
#include "retrieval/keywordmarks.h"
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

constexpr double TwipsPerInch = 1440.0;
// The plugin list keeps its design width whatever the window's size.
constexpr int ListView1WidthTwips = 4935;
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

// Rounds halves to even, as the layout rules say.
double roundEven(double value)
{
    return std::nearbyint(value);
}

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

int frmSokuri::twipsToPixelsX(double twips) const
{
    return int(std::lround(twips * logicalDpiX() / TwipsPerInch));
}

int frmSokuri::twipsToPixelsY(double twips) const
{
    return int(std::lround(twips * logicalDpiY() / TwipsPerInch));
}

double frmSokuri::pixelsToTwipsX(int pixels) const
{
    return pixels * TwipsPerInch / logicalDpiX();
}

double frmSokuri::pixelsToTwipsY(int pixels) const
{
    return pixels * TwipsPerInch / logicalDpiY();
}

void frmSokuri::buildControls()
{
    auto* inner = new QWidget(this);
    inner->setObjectName(u"innerArea"_s);
    setCentralWidget(inner);
    inner->setMinimumSize(twipsToPixelsX(DesignWidthTwips), twipsToPixelsY(DesignHeightTwips));

    const auto place = [this](QWidget* widget, int left, int top, int width, int height) {
        widget->setGeometry(twipsToPixelsX(left), twipsToPixelsY(top), twipsToPixelsX(width),
                            twipsToPixelsY(height));
    };

    // The labels' font; IPAPGothic stands in where the Windows font is absent.
    QFont labelFont;
    labelFont.setFamilies({u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s});
    labelFont.setPointSize(9);
    labelFont.setBold(true);
    const auto makeLabel = [&](const QString& name, const QString& caption) {
        auto* label = new QLabel(caption, inner);
        label->setObjectName(name);
        label->setFont(labelFont);
        return label;
    };

    m_label1 = makeLabel(u"Label1"_s, u"　　語句："_s);
    place(m_label1, 360, 120, 780, 180);
    m_text1 = new QLineEdit(inner);
    m_text1->setObjectName(u"Text1"_s);
    // A document dropped on the input line opens, as anywhere on the window.
    m_text1->installEventFilter(new DocumentDropFilter(
        [this](const QString& path) {
            QMetaObject::invokeMethod(
                this, [this, path] { openDocumentFile(path); }, Qt::QueuedConnection);
        },
        this));
    place(m_text1, 1200, 120, 4935, 270);

    m_label2 = makeLabel(u"Label2"_s, u"検索方法："_s);
    place(m_label2, 240, 720, 900, 180);
    m_frame1 = new QGroupBox(inner);
    m_frame1->setObjectName(u"Frame1"_s);
    place(m_frame1, 1200, 480, 3435, 570);
    m_option1 = new QRadioButton(u"文章（茶筅必須）"_s, m_frame1);
    m_option1->setObjectName(u"Option1"_s);
    place(m_option1, 240, 240, 1575, 240);
    m_option2 = new QRadioButton(u"キーワード"_s, m_frame1);
    m_option2->setObjectName(u"Option2"_s);
    place(m_option2, 2040, 240, 1230, 240);
    // Where the desktop's font is wider than the window was laid out for,
    // the mode buttons grow to show their whole captions, the second moves
    // along and the frame grows around them; it still ends before Text1 does.
    const int gap = m_option2->x() - m_option1->geometry().right();
    m_option1->resize(std::max(m_option1->width(), m_option1->sizeHint().width()),
                      m_option1->height());
    m_option2->move(std::max(m_option2->x(), m_option1->geometry().right() + gap), m_option2->y());
    m_option2->resize(std::max(m_option2->width(), m_option2->sizeHint().width()),
                      m_option2->height());
    // The frame's margin after the second button is the one before the first.
    const int wanted = m_option2->geometry().right() + 1 + m_option1->x();
    const int room = m_text1->geometry().right() + 1 - m_frame1->x();
    m_frame1->resize(std::min(std::max(m_frame1->width(), wanted), room), m_frame1->height());
    m_modes = new QButtonGroup(this);
    m_modes->addButton(m_option1, int(InputMode::Sentence));
    m_modes->addButton(m_option2, int(InputMode::Keywords));

    m_label3 = makeLabel(u"Label3"_s, u"プラグイン："_s);
    place(m_label3, 165, 1200, 975, 180);
    m_listView1 = new QTreeView(inner);
    m_listView1->setObjectName(u"ListView1"_s);
    place(m_listView1, 1200, 1200, ListView1WidthTwips, 1125);
    m_listView1->setModel(&m_catalogue);
    m_listView1->setRootIsDecorated(false);
    m_listView1->setUniformRowHeights(true);
    m_listView1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The pop-up menu comes from the right button alone (eventFilter).
    m_listView1->setContextMenuPolicy(Qt::PreventContextMenu);
    m_listView1->viewport()->installEventFilter(this);

    m_exec = new QPushButton(u"検索"_s, inner);
    m_exec->setObjectName(u"Exec"_s);
    place(m_exec, 6480, 1200, 1455, 495);
    m_cancel = new QPushButton(u"中止"_s, inner);
    m_cancel->setObjectName(u"Cancel"_s);
    place(m_cancel, 6480, 1800, 1455, 495);

    m_animation1 = new QLabel(inner);
    m_animation1->setObjectName(u"Animation1"_s);
    m_animation1->setAlignment(Qt::AlignCenter);
    place(m_animation1, 6840, 240, 735, 735);

    m_listView2 = new QTreeView(inner);
    m_listView2->setObjectName(u"ListView2"_s);
    place(m_listView2, 0, ListView2TopTwips, 6150, 1455);
    m_filter = new ResultsFilterModel(this);
    m_filter->setSourceModel(&m_results);
    m_listView2->setModel(m_filter);
    m_listView2->setRootIsDecorated(false);
    m_listView2->setUniformRowHeights(true);
    m_listView2->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView2->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView2->header()->setSectionsClickable(true);
    m_listView2->header()->setStretchLastSection(false);

    m_webBrowser1 = new QTextBrowser(inner);
    m_webBrowser1->setObjectName(u"WebBrowser1"_s);
    place(m_webBrowser1, 0, 4605, 6195, 810);
    // Links open in the desktop's browser; the viewer keeps showing the entry.
    m_webBrowser1->setOpenLinks(false);
    m_webBrowser1->setOpenExternalLinks(false);

    // The filter above the results list: it narrows the rows shown, never
    // the list itself (sorting, the result page and documents see every
    // row).
    auto* filterBar = new QToolBar(u"絞り込み"_s, this);
    filterBar->setObjectName(u"filterBar"_s);
    filterBar->setMovable(false);
    filterBar->addWidget(new QLabel(u" 絞り込み: "_s, filterBar));
    m_filterText = new QLineEdit(filterBar);
    m_filterText->setObjectName(u"txtFilter"_s);
    m_filterText->setPlaceholderText(u"名前・プラグイン・サイト"_s);
    m_filterText->setClearButtonEnabled(true);
    m_filterText->setMaximumWidth(twipsToPixelsX(4000));
    filterBar->addWidget(m_filterText);
    addToolBar(Qt::TopToolBarArea, filterBar);
    connect(m_filterText, &QLineEdit::textChanged, m_filter, &ResultsFilterModel::setFilterText);
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        m_filterText->setFocus(Qt::ShortcutFocusReason);
        m_filterText->selectAll();
    });
    auto* clearShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), m_filterText);
    clearShortcut->setContext(Qt::WidgetShortcut);
    connect(clearShortcut, &QShortcut::activated, m_filterText, &QLineEdit::clear);

    // Every engine of the run and what became of it; it stays after the run.
    m_engineStatus = new QLabel(this);
    m_engineStatus->setObjectName(u"engineStatus"_s);
    statusBar()->addWidget(m_engineStatus, 1);

    QWidget::setTabOrder(m_text1, m_option1);
    QWidget::setTabOrder(m_option1, m_option2);
    QWidget::setTabOrder(m_option2, m_listView1);
    QWidget::setTabOrder(m_listView1, m_exec);
    QWidget::setTabOrder(m_exec, m_cancel);
    QWidget::setTabOrder(m_cancel, m_listView2);
    QWidget::setTabOrder(m_listView2, m_webBrowser1);

    connect(m_text1, &QLineEdit::textChanged, this, &frmSokuri::UpdateExecButton);
    connect(m_text1, &QLineEdit::returnPressed, this, [this] {
        if (m_exec->isEnabled())
            m_exec->click();
    });
    connect(m_option1, &QRadioButton::clicked, this, &frmSokuri::UpdateExecButton);
    connect(m_option2, &QRadioButton::clicked, this, &frmSokuri::UpdateExecButton);
    connect(m_listView1, &QTreeView::clicked, this, &frmSokuri::UpdateExecButton);
    connect(&m_catalogue, &PluginCatalogue::checkMarksChanged, this, &frmSokuri::UpdateExecButton);
    connect(m_listView1, &QTreeView::doubleClicked, this, [this] { OpenPluginSite(u"_top"_s); });
    connect(m_exec, &QPushButton::clicked, this, &frmSokuri::Exec_Click);
    connect(m_cancel, &QPushButton::clicked, this, &frmSokuri::Cancel_Click);
    connect(m_listView2, &QTreeView::clicked, this, &frmSokuri::ListView2_ItemClick);
    connect(m_listView2, &QTreeView::activated, this, &frmSokuri::ListView2_ItemClick);
    connect(m_listView2->header(), &QHeaderView::sectionClicked, &m_results,
            &ResultsModel::columnClicked);
    connect(&m_results, &ResultsModel::sortChanged, this, &frmSokuri::showSortIndicator);
    connect(m_webBrowser1, &QTextBrowser::anchorClicked, this, &frmSokuri::WebBrowser1_LinkClick);

    // Enter, a double-click and the pop-up menu open a row's address in the
    // result window; Ctrl+C copies the selected rows.
    m_resultsCommands = new ResultsListCommands(*m_listView2, this);
    connect(m_resultsCommands, &ResultsListCommands::openRequested, this,
            [this](const QString& address) { OpenInBrowser(address, u"_sokuri"_s); });
    setAcceptDrops(true);
}

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
}

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

void frmSokuri::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmSokuri::Form_Resize()
{
    if (isMinimized())
        return;
    // The window cannot get smaller than its design size: the inner area's
    // minimum holds it there, so only the lower half is laid out here.
    const QWidget* inner = centralWidget();
    const int innerWidth = inner->width();
    const int innerHeight = inner->height();
    const double half = roundEven((pixelsToTwipsY(innerHeight) - ListView2TopTwips) / 2.0);
    m_listView2->setGeometry(m_listView2->x(), twipsToPixelsY(ListView2TopTwips), innerWidth,
                             std::max(0, twipsToPixelsY(half - 25)));
    const double browserTop =
        pixelsToTwipsY(m_listView2->height()) + pixelsToTwipsY(m_listView2->y()) + 50;
    const int top = twipsToPixelsY(browserTop);
    m_webBrowser1->setGeometry(m_webBrowser1->x(), top, innerWidth, std::max(0, innerHeight - top));
}

void frmSokuri::SetUpPluginList()
{
    const double width = roundEven(ListView1WidthTwips - m_state.metrics.ScrollBarWidth -
                                   m_state.metrics.ColumnMargin);
    m_listView1->header()->setStretchLastSection(false);
    m_listView1->setColumnWidth(0, twipsToPixelsX(width));
}

void frmSokuri::SetUpResultsList()
{
    const auto widths =
        ResultColumnWidths(pixelsToTwipsX(m_listView2->width()), m_state.metrics.ScrollBarWidth,
                           m_state.metrics.ColumnMargin);
    for (int column = 0; column < int(widths.size()); ++column)
        m_listView2->setColumnWidth(column, twipsToPixelsX(widths[std::size_t(column)]));
    m_results.setSort(ResultsModel::RelevanceColumn, Qt::DescendingOrder);
    m_listView2->header()->setSortIndicatorShown(true);
    showSortIndicator();
}

void frmSokuri::showSortIndicator()
{
    m_listView2->header()->setSortIndicator(m_results.sortColumn(), m_results.sortOrder());
}

void frmSokuri::openAnimation(const QString& path)
{
    // A missing or broken animation leaves the place empty; searching works
    // the same without it.
    delete m_movie;
    m_movie = new QMovie(this);
    m_movie->setObjectName(u"busyAnimation"_s);
    if (!path.isEmpty())
        m_movie->setFileName(path);
    if (path.isEmpty() || !m_movie->isValid()) {
        m_animation1->clear();
        return;
    }
    m_movie->setScaledSize(m_animation1->size());
    m_animation1->setMovie(m_movie);
    m_movie->jumpToFrame(0);
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
    // The page marks the keywords: the input line's words, or in sentence
    // mode those the analysis found; the row's HTML stays as it is.
    const QString html = MarkKeywords(
        index.siblingAtColumn(0).data(ResultsModel::HtmlRole).toString(),
        KeywordsOfText(inputState().mode == InputMode::Sentence ? m_run->keywordString()
                                                                : m_text1->text()));
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
