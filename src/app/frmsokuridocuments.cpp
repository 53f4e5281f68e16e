#include "app/frmsokuri.h"

#include "app/busypointer.h"

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

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace sokuri {

using namespace Qt::StringLiterals;

void frmSokuri::mnuFileNew_Click()
{
    if (!m_documents)
        return;
    BusyPointer busy;
    setInputState(m_documents->newDocument());
    clearRunStatus();
    UpdateExecButton();
}

void frmSokuri::mnuFileOpen_Click()
{
    if (!m_documents)
        return;
    InputState input = inputState();
    if (m_documents->open(input)) {
        setInputState(input);
        clearRunStatus();
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

void frmSokuri::openDocumentFile(const QString& path)
{
    if (!m_documents)
        return;
    InputState input = inputState();
    if (m_documents->openFile(path, input)) {
        setInputState(input);
        clearRunStatus();
        UpdateExecButton();
    }
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

} // namespace sokuri
