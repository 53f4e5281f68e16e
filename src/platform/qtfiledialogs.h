#pragma once

#include "platform/filedialogs.h"

#include <QPointer>
#include <QWidget>

namespace sokuri {

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
