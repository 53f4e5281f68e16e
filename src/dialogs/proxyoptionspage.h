#pragma once

#include "common/appstate.h"
#include "common/proxysettings.h"

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace sokuri {

// The Options dialog's page of the proxy (the section "proxy" of sokuri.ini):
// none, the desktop's, or one's own host, port, user and password.
class ProxyOptionsPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProxyOptionsPage(const AppPaths& paths, QWidget* parent = nullptr);

    // The settings as the page shows them.
    ProxySettings settings() const;
    // Writes the page's settings when they differ from the file's; false with
    // the reason in errorText when the file cannot be written.
    bool apply(QString* errorText);

private:
    void showType(int type);

    AppPaths m_paths;
    ProxySettings m_loaded;
    QRadioButton* m_none = nullptr;
    QRadioButton* m_desktop = nullptr;
    QRadioButton* m_own = nullptr;
    QGroupBox* m_ownFrame = nullptr;
    QLineEdit* m_host = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
};

} // namespace sokuri
