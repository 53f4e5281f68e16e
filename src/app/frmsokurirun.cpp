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

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

namespace sokuri {

using namespace Qt::StringLiterals;

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
    if (m_movie && m_movie->isValid()) {
        m_animation1->setMovie(m_movie);
        m_movie->start();
    }
    setInputEnabled(false);
    blankViewer();
    m_cancel->setEnabled(m_run->canStop());
    m_exec->setEnabled(false);
    m_text1->setText(trimmedText);
    m_searchedText = trimmedText;
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
    m_animation1->clear();
}

void frmSokuri::setInputEnabled(bool enabled)
{
    m_text1->setEnabled(enabled);
    m_frame1->setEnabled(enabled);
    m_listView1->setEnabled(enabled);
}

} // namespace sokuri
