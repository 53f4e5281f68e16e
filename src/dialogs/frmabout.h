#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace sokuri {

class MessageSink;

// The About box: the program's title, version and author, and a button that
// starts the desktop's system information viewer.
//
// Controls by object name: picIcon, lblTitle, lblVersion, lblDescription,
// cmdOK, cmdSysInfo.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    // Where "system information is not available" goes; message boxes unless
    // replaced. The object given must outlive the dialog.
    void setMessageSink(MessageSink* messages);

    // The viewers looked for on PATH, the first one found is started.
    static QStringList SystemInfoViewers();

private:
    void StartSysInfo();

    std::unique_ptr<MessageSink> m_ownMessages;
    MessageSink* m_messages = nullptr;
};

} // namespace sokuri
