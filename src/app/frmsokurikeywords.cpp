// The keyword commands of the main window: 検索語を編集 takes the last run's
// keywords into the input line in keyword mode; 「この項目の語で検索」 searches
// the ticked engines with the keywords of a result row's title and text.

#include "app/entrykeywords.h"
#include "app/frmsokuri.h"
#include "app/resultslistcommands.h"
#include "app/searchrun.h"

#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>

namespace sokuri {

using namespace Qt::StringLiterals;

void frmSokuri::buildKeywordCommands(QMenu* edit)
{
    QAction* editKeywords = addMenuEntry(edit, u"mnuEditKeywords"_s, u"検索語を編集(&K)"_s,
                                         &frmSokuri::mnuEditKeywords_Click);
    editKeywords->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    editKeywords->setShortcutContext(Qt::WindowShortcut);
    m_entryKeywords = new EntryKeywords(*m_messages, this);
    connect(m_entryKeywords, &EntryKeywords::finished, this, &frmSokuri::entryKeywordsFound);
    connect(m_resultsCommands, &ResultsListCommands::searchWordsRequested, this,
            &frmSokuri::searchWithEntryWords);
}

void frmSokuri::mnuEditKeywords_Click()
{
    if (!m_run || m_run->isRunning() || m_run->searchedKeywords().isEmpty())
        return;
    setInputState({m_run->searchedKeywords().join(u' '), InputMode::Keywords});
    UpdateExecButton();
    m_text1->setFocus();
    m_text1->end(false);
}

void frmSokuri::searchWithEntryWords(const ResultRow& row)
{
    if (!m_run || m_run->isRunning() || m_entryKeywords->isRunning())
        return;
    m_entryKeywords->start(row, m_settings, m_state.paths);
}

void frmSokuri::entryKeywordsFound(const QStringList& keywords)
{
    if (keywords.isEmpty() || !m_run || m_run->isRunning())
        return;
    setInputState({keywords.join(u' '), InputMode::Keywords});
    UpdateExecButton();
    Exec_Click();
}

} // namespace sokuri
