#include "documents/documentcommands.h"

#include "documents/documentlocation.h"
#include "platform/messagesink.h"
#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

// The title of the messages about documents.
QString messageTitle()
{
    return u"Sokuri"_s;
}

} // namespace

DocumentCommands::DocumentCommands(const AppPaths& paths, PluginCatalogue& catalogue,
                                   ResultsModel& results, FileDialogs& dialogs,
                                   MessageSink& messages, QObject* parent)
    : QObject(parent)
    , m_paths(paths)
    , m_catalogue(catalogue)
    , m_results(results)
    , m_dialogs(dialogs)
    , m_messages(messages)
{}

QString DocumentCommands::untitledName()
{
    return u"無題"_s;
}

QStringList DocumentCommands::fileFilters()
{
    return {u"Sokuri ﾌｧｲﾙ(*.skr)"_s, u"すべてのﾌｧｲﾙ (*.*)"_s};
}

QString DocumentCommands::windowTitle() const
{
    return m_docFileName + u" - Sokuri";
}

InputState DocumentCommands::newDocument()
{
    m_catalogue.uncheckAll();
    m_results.clear();
    emit viewerCleared();
    setDocFileName(untitledName());
    return {};
}

bool DocumentCommands::open(InputState& input)
{
    return openFile(m_dialogs.openFileName(dialogRequest()), input);
}

bool DocumentCommands::openFile(const QString& chosen, InputState& input)
{
    if (chosen.isEmpty() || chosen == m_docFileName)
        return false;
    Document document;
    QString error;
    if (!ReadDocumentFile(chosen, document, &error)) {
        m_messages.critical({error, messageTitle()});
        return false;
    }
    emit viewerCleared();
    input = ApplyDocument(document, m_catalogue, m_results);
    setDocFileName(chosen);
    m_lastFolder = QFileInfo(chosen).absolutePath();
    emit documentUsed(chosen);
    return true;
}

bool DocumentCommands::save(const InputState& input)
{
    if (m_docFileName == untitledName())
        return saveAs(input);
    if (!write(m_docFileName, input))
        return false;
    setDocFileName(m_docFileName);
    return true;
}

bool DocumentCommands::saveAs(const InputState& input)
{
    const QString chosen = m_dialogs.saveFileName(dialogRequest());
    if (chosen.isEmpty() || chosen == m_docFileName)
        return false;
    if (!write(chosen, input))
        return false;
    setDocFileName(chosen);
    return true;
}

QString DocumentCommands::dialogFolder() const
{
    return FirstDialogFolder(m_lastFolder, m_paths.AppPath);
}

FileDialogRequest DocumentCommands::dialogRequest() const
{
    return {dialogFolder(), m_docFileName, fileFilters(), u"skr"_s};
}

bool DocumentCommands::write(const QString& path, const InputState& input)
{
    QString error;
    if (SaveDocument(path, input, m_catalogue, m_results, &error)) {
        m_lastFolder = QFileInfo(path).absolutePath();
        emit documentUsed(path);
        return true;
    }
    m_messages.critical({error, messageTitle()});
    return false;
}

void DocumentCommands::setDocFileName(const QString& name)
{
    m_docFileName = name;
    emit titleChanged(windowTitle());
}

} // namespace sokuri
