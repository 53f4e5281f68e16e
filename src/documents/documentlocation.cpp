#include "documents/documentlocation.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace sokuri {

using namespace Qt::StringLiterals;

QString DocumentPathFromArgument(const QString& argument, const QString& workingDir)
{
    if (argument.isEmpty())
        return {};
    QString path = argument;
    static const QRegularExpression address(u"^[A-Za-z][A-Za-z0-9+.-]*://"_s);
    if (argument.startsWith(u"file:"_s, Qt::CaseInsensitive) ||
        address.match(argument).hasMatch()) {
        const QUrl url(argument);
        if (!url.isValid() || !url.isLocalFile())
            return {};
        path = url.toLocalFile();
    }
    return QDir::cleanPath(QDir(workingDir).absoluteFilePath(path));
}

QString DroppedDocumentPath(const QList<QUrl>& urls)
{
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && url.toLocalFile().endsWith(u".skr"_s, Qt::CaseInsensitive))
            return QDir::cleanPath(url.toLocalFile());
    }
    return {};
}

QString FirstDialogFolder(const QString& lastUsed, const QString& appPath)
{
    if (!lastUsed.isEmpty() && QFileInfo(lastUsed).isDir())
        return lastUsed;
    const QFileInfo app(appPath);
    if (app.isDir() && app.isWritable())
        return appPath;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

} // namespace sokuri
