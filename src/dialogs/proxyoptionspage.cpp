#include "dialogs/proxyoptionspage.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sokuri {

using namespace Qt::StringLiterals;

ProxyOptionsPage::ProxyOptionsPage(const AppPaths& paths, QWidget* parent)
    : QWidget(parent)
    , m_paths(paths)
    , m_loaded(LoadProxySettings(paths))
{
    setObjectName(u"picOptionsProxy"_s);
    m_none = new QRadioButton(u"使わない"_s, this);
    m_none->setObjectName(u"proxyNone"_s);
    m_desktop = new QRadioButton(u"デスクトップの設定 (http_proxy)"_s, this);
    m_desktop->setObjectName(u"proxyDesktop"_s);
    m_own = new QRadioButton(u"次のプロキシを使う"_s, this);
    m_own->setObjectName(u"proxyOwn"_s);

    m_ownFrame = new QGroupBox(u"プロキシ"_s, this);
    m_ownFrame->setObjectName(u"proxyFrame"_s);
    m_host = new QLineEdit(m_loaded.host, m_ownFrame);
    m_host->setObjectName(u"proxyHost"_s);
    m_port = new QLineEdit(m_loaded.port, m_ownFrame);
    m_port->setObjectName(u"proxyPort"_s);
    m_user = new QLineEdit(m_loaded.user, m_ownFrame);
    m_user->setObjectName(u"proxyUser"_s);
    m_password = new QLineEdit(m_loaded.password, m_ownFrame);
    m_password->setObjectName(u"proxyPassword"_s);
    m_password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout(m_ownFrame);
    form->addRow(u"ホスト名"_s, m_host);
    form->addRow(u"ポート"_s, m_port);
    form->addRow(u"ユーザー名"_s, m_user);
    form->addRow(u"パスワード"_s, m_password);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_none);
    layout->addWidget(m_desktop);
    layout->addWidget(m_own);
    layout->addWidget(m_ownFrame);
    layout->addStretch();

    for (QRadioButton* button : {m_none, m_desktop, m_own})
        connect(button, &QRadioButton::toggled, this, [this] { showType(settings().type); });
    showType(m_loaded.type);
}

void ProxyOptionsPage::showType(int type)
{
    m_none->setChecked(type == ProxySettings::None);
    m_desktop->setChecked(type == ProxySettings::Desktop);
    m_own->setChecked(type == ProxySettings::Own);
    m_ownFrame->setEnabled(type == ProxySettings::Own);
}

ProxySettings ProxyOptionsPage::settings() const
{
    ProxySettings shown;
    shown.type = m_none->isChecked()  ? ProxySettings::None
                 : m_own->isChecked() ? ProxySettings::Own
                                      : ProxySettings::Desktop;
    shown.host = m_host->text().trimmed();
    shown.port = m_port->text().trimmed();
    shown.user = m_user->text();
    shown.password = m_password->text();
    return shown;
}

bool ProxyOptionsPage::apply(QString* errorText)
{
    const ProxySettings shown = settings();
    if (shown == m_loaded)
        return true; // a file without the section keeps the desktop's proxy
    if (!SaveProxySettings(m_paths, shown, errorText))
        return false;
    m_loaded = shown;
    return true;
}

} // namespace sokuri
