#include "app/frmsokuri.h"

#include "common/searchsettings.h"

#include "app/recentfilesmenu.h"
#include "app/resultslistcommands.h"
#include "app/searchedkeywords.h"
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
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QUrl>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// The most of a result page the viewer reads back; the page is the entry
// the program wrote itself, so this only guards against a replaced file.
constexpr qint64 MaxPageBytes = 16 * 1024 * 1024;

} // namespace

void frmSokuri::OpenInBrowser(const QString& url, const QString& target)
{
    // A browser that cannot be reached is reported; the program goes on, so
    // unsaved results are not lost.
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
    // mode the words the analysis chose for this very text (a document of
    // another sentence has no analysed keywords until it is searched). The
    // word list, not the keyword string: the request builder turns the
    // string's blanks into "+". The row's HTML stays as it is.
    QStringList keywords = KeywordsOfText(m_text1->text());
    if (inputState().mode == InputMode::Sentence)
        keywords =
            m_text1->text().trimmed() == m_searchedText ? m_run->searchedKeywords() : QStringList();
    const QString html =
        MarkKeywords(index.siblingAtColumn(0).data(ResultsModel::HtmlRole).toString(), keywords);
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
    if (LoadSearchSettings(m_state.paths).merge != m_mergeAction->isChecked())
        SaveMergeChoice(m_state.paths, m_mergeAction->isChecked());
    showSortIndicator();
    if (m_runEndShown && m_run && !m_run->isRunning())
        showRunEnd();
}

void frmSokuri::showEngineStatuses()
{
    QStringList parts;
    for (const EngineStatus& status : m_run->engineStatuses())
        parts.append(status.plugin + u": "_s + DescribeStatus(status));
    m_engineStatus->setText(parts.join(u"　"_s));
    setStatusToolTip(RunToolTip(m_runKeywords, m_run->engineStatuses(), false));
}

void frmSokuri::showRunEnd()
{
    // The merged view counts the rows it shows and says how many it joined.
    const int shown = m_merged ? m_merged->rowCount() : m_results.rowCount();
    const bool stopped = m_run->stoppedByUser();
    m_engineStatus->setText(
        RunEndText(m_run->engineStatuses(), shown, m_results.rowCount(), stopped));
    setStatusToolTip(RunToolTip(m_runKeywords, m_run->engineStatuses(), stopped));
    m_runEndShown = true;
}

void frmSokuri::clearRunStatus()
{
    m_runKeywords.clear();
    m_searchedKeywords->clear();
    m_engineStatus->clear();
    setStatusToolTip({});
    m_runEndShown = false;
}

void frmSokuri::setStatusToolTip(const QString& tip)
{
    m_searchedKeywords->setToolTip(tip);
    m_engineStatus->setToolTip(tip);
}

void frmSokuri::mnuFileExport_Click()
{
    // The document's own name with .csv; "results.csv" for an untitled one.
    const bool named =
        m_documents && m_documents->docFileName() != DocumentCommands::untitledName();
    const QString name = named
                             ? QFileInfo(m_documents->docFileName()).completeBaseName() + u".csv"_s
                             : u"results.csv"_s;
    const QString folder = m_documents ? m_documents->dialogFolder() : m_state.paths.AppPath;
    const QString chosen = m_dialogs->saveFileName(
        {folder, name, {u"CSV (*.csv)"_s, u"HTML (*.html *.htm)"_s}, u"csv"_s});
    if (chosen.isEmpty())
        return;
    QString error;
    const QString heading = u"Sokuri: "_s + m_text1->text();
    if (!ExportResults(chosen, m_resultsCommands->shownRows(), heading, &error)) {
        m_messages->critical({error, u"Sokuri"_s});
        return;
    }
    if (m_documents)
        m_documents->setLastFolder(QFileInfo(chosen).absolutePath());
}

} // namespace sokuri
