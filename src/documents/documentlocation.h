#pragma once

#include <QList>
#include <QString>
#include <QUrl>

namespace sokuri {

// The document a start of the program names: a path (relative to
// workingDir) or a "file:" address, made absolute and clean. Empty for an
// empty argument or an address of another kind.
QString DocumentPathFromArgument(const QString& argument, const QString& workingDir);

// The document among dropped addresses: the first local file whose name ends
// in ".skr" (any letter case). Empty when there is none.
QString DroppedDocumentPath(const QList<QUrl>& urls);

// The folder a file dialog starts in: the folder last used when it still
// exists, else the application folder when it can be written, else the
// user's documents folder (an installed program's folder is not the user's).
QString FirstDialogFolder(const QString& lastUsed, const QString& appPath);

} // namespace sokuri
