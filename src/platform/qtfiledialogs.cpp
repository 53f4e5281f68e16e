#include "platform/qtfiledialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace sokuri {

namespace {

// The file the dialog starts with: the proposed name inside the folder, or
// the name alone when it is a full path already.
QString startPath(const FileDialogRequest& request)
{
    if (request.fileName.isEmpty())
        return request.folder;
    if (request.folder.isEmpty() || QFileInfo(request.fileName).isAbsolute())
        return request.fileName;
    return QDir(request.folder).filePath(request.fileName);
}

QString run(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    // An open dialog only takes a file that exists; a save dialog asks
    // before it names one that does (QFileDialog's default).
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!request.filters.isEmpty())
        dialog.setNameFilters(request.filters);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    const QString start = startPath(request);
    const QFileInfo info(start);
    if (!start.isEmpty() && info.isDir()) {
        dialog.setDirectory(start);
    } else if (!start.isEmpty()) {
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace

QtFileDialogs::QtFileDialogs(QWidget* parent)
    : m_parent(parent)
{}

QString QtFileDialogs::openFileName(const FileDialogRequest& request)
{
    return run(m_parent.data(), request, QFileDialog::AcceptOpen);
}

QString QtFileDialogs::saveFileName(const FileDialogRequest& request)
{
    return run(m_parent.data(), request, QFileDialog::AcceptSave);
}

} // namespace sokuri
