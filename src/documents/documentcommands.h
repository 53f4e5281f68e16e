#pragma once

#include "common/appstate.h"
#include "documents/documentstate.h"
#include "platform/filedialogs.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace sokuri {

class MessageSink;
class PluginCatalogue;
class ResultsModel;

// The File menu's document commands: New, Open, Save and Save As. Keeps the
// current document's name (DocFileName) and the window title made from it;
// asks for file names through the file dialogs and reports a document that
// cannot be read or written with a message naming the file, leaving the
// window's state as it was before the command.
//
// The window owns the input line and the mode buttons: the commands take
// their state as a value and give back what they should show. After New and
// a successful Open the window re-evaluates the Search button.
class DocumentCommands : public QObject
{
    Q_OBJECT

public:
    DocumentCommands(const AppPaths& paths, PluginCatalogue& catalogue, ResultsModel& results,
                     FileDialogs& dialogs, MessageSink& messages, QObject* parent = nullptr);

    // The name of a document that was never saved or opened.
    static QString untitledName();
    // The document file filters of both dialogs.
    static QStringList fileFilters();

    const QString& docFileName() const { return m_docFileName; }
    // The folder the file dialogs start in (FirstDialogFolder); the folder
    // of each document opened or written becomes the last used one.
    QString dialogFolder() const;
    void setLastFolder(const QString& folder) { m_lastFolder = folder; }
    // DocFileName + " - Sokuri".
    QString windowTitle() const;

    // New: unchecks every plugin, empties the results and the viewer, names
    // the document untitled. Returns the emptied input (no text, no mode).
    InputState newDocument();
    // Open: asks for a file; choosing the current document or cancelling does
    // nothing. Otherwise the file is read whole first: a good one replaces
    // the results, restores the marks by name and its input is put into
    // input; true is returned. A bad one leaves everything as it was.
    bool open(InputState& input);
    // Opens the document at path as Open does after its dialog (the document
    // from the desktop, a dropped one, a recent one): the current document
    // is not read again, a bad file is reported and changes nothing.
    bool openFile(const QString& path, InputState& input);
    // Save: writes the current document without a question; an untitled one
    // goes to Save As. True when the file was written.
    bool save(const InputState& input);
    // Save As: asks for a name; choosing the current document's own file or
    // cancelling writes nothing. True when the file was written; the document
    // then has the new name.
    bool saveAs(const InputState& input);

signals:
    // The window title is to be (re)set.
    void titleChanged(const QString& title);
    // The viewer is to show an empty page.
    void viewerCleared();
    // A document file was opened or written: the most recent document.
    void documentUsed(const QString& path);

private:
    FileDialogRequest dialogRequest() const;
    bool write(const QString& path, const InputState& input);
    void setDocFileName(const QString& name);

    AppPaths m_paths;
    PluginCatalogue& m_catalogue;
    ResultsModel& m_results;
    FileDialogs& m_dialogs;
    MessageSink& m_messages;
    QString m_docFileName = untitledName();
    QString m_lastFolder;
};

} // namespace sokuri
