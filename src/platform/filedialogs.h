#pragma once

#include <QString>
#include <QStringList>

namespace sokuri {

// What an open or save dialog starts with.
struct FileDialogRequest
{
    QString folder;   // the folder it shows first
    QString fileName; // the name it proposes
    QStringList filters; // "Sokuri ﾌｧｲﾙ(*.skr)", "すべてのﾌｧｲﾙ (*.*)": description, patterns
    QString defaultSuffix;  // added to a name typed without one ("skr")
    int selectedFilter = 0; // the filter shown first, an index of filters
};

// The desktop's file dialogs.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // The open dialog: only an existing file can be chosen. Returns its full
    // path, or the empty text when the dialog was cancelled.
    virtual QString openFileName(const FileDialogRequest& request) = 0;
    // The save dialog: asks before it returns a file that exists already.
    // Returns the full path, or the empty text when the dialog was cancelled.
    virtual QString saveFileName(const FileDialogRequest& request) = 0;
};

} // namespace sokuri
