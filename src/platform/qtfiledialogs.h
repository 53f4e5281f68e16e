#pragma once

#include "platform/filedialogs.h"

#include <QFileDialog>
#include <QPointer>
#include <QWidget>

namespace sokuri {

// Sets dialog up for request: the mode, the filters (the selected one first
// shown), the folder and name it starts with, and its file list in Japanese:
// sizes, kinds and dates as the Japanese locale writes them (Qt's own list
// follows the desktop's language), whatever the desktop's language.
void SetUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                     QFileDialog::AcceptMode mode);

// The desktop's open and save dialogs (QFileDialog), modal over a window.
class QtFileDialogs : public FileDialogs
{
public:
    explicit QtFileDialogs(QWidget* parent);

    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace sokuri
