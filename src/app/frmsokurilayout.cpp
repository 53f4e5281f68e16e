#include "app/frmsokuri.h"

#include "app/elidedlabel.h"

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
#include "retrieval/mergedresults.h"
#include "retrieval/resultpage.h"
#include "retrieval/resultsexport.h"
#include "retrieval/resultsfilter.h"
#include "searchplugins/pluginstore.h"

#include <QButtonGroup>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>
#include <cmath>

namespace sokuri {

using namespace Qt::StringLiterals;
namespace {

constexpr double TwipsPerInch = 1440.0;
// The plugin list keeps its design width whatever the window's size.
constexpr int ListView1WidthTwips = 4935;

// Rounds halves to even, as the layout rules say.
double roundEven(double value)
{
    return std::nearbyint(value);
}

} // namespace

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
    // Both cut what does not fit with "…"; the tool tip holds it all.
    m_searchedKeywords = new ElidedLabel(this);
    m_searchedKeywords->setObjectName(u"searchedKeywords"_s);
    statusBar()->addWidget(m_searchedKeywords, 2);
    m_engineStatus = new ElidedLabel(this);
    m_engineStatus->setObjectName(u"engineStatus"_s);
    statusBar()->addWidget(m_engineStatus, 3);

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
    // Shown only while a run goes: a still frame of a spinner would read as
    // "loading" when the window is idle.
    m_movie->setScaledSize(m_animation1->size());
    m_movie->jumpToFrame(0);
}

} // namespace sokuri
