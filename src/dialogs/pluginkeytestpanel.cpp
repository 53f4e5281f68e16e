#include "dialogs/pluginkeytestpanel.h"

#include "app/pluginselftest.h"
#include "common/inifile.h"
#include "common/userkeys.h"
#include "dialogs/dialogbutton.h"
#include "searchplugins/pluginfolder.h"
#include "searchplugins/pluginkey.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace sokuri {

PluginKeyTestPanel::PluginKeyTestPanel(const AppPaths& paths, QWidget* parent)
    : QWidget(parent)
    , m_paths(paths)
    , m_test(new PluginSelfTest(paths, this))
{
    m_keyLabel = new QLabel(this);
    m_keyLabel->setObjectName(u"lblUserKey"_s);
    m_key = new QLineEdit(this);
    m_key->setObjectName(u"txtUserKey"_s);
    m_key->setEchoMode(QLineEdit::Password);
    m_saveKey = DialogButton(u"cmdSaveKey"_s, u"キーを保存"_s, this);
    m_clearKey = DialogButton(u"cmdClearKey"_s, u"キーを消す"_s, this);
    m_testButton = DialogButton(u"cmdTest"_s, u"テスト"_s, this);
    m_testButton->setToolTip(u"選んだプラグインのテスト検索語で検索し、結果を報告します"_s);
    m_report = new QPlainTextEdit(this);
    m_report->setObjectName(u"txtTestReport"_s);
    m_report->setReadOnly(true);
    m_report->setMaximumHeight(120);

    auto* key = new QHBoxLayout;
    key->addWidget(m_keyLabel);
    key->addWidget(m_key, 1);
    key->addWidget(m_saveKey);
    key->addWidget(m_clearKey);
    key->addWidget(m_testButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(key);
    layout->addWidget(m_report);

    connect(m_saveKey, &QPushButton::clicked, this, &PluginKeyTestPanel::saveKey);
    connect(m_key, &QLineEdit::returnPressed, this, &PluginKeyTestPanel::saveKey);
    connect(m_clearKey, &QPushButton::clicked, this, &PluginKeyTestPanel::clearKey);
    connect(m_testButton, &QPushButton::clicked, this, &PluginKeyTestPanel::startTest);
    connect(m_key, &QLineEdit::textChanged, this, &PluginKeyTestPanel::updateControls);
    connect(m_test, &PluginSelfTest::reported, this, &PluginKeyTestPanel::showReport);
    connect(m_test, &PluginSelfTest::finished, this, [this] {
        updateControls();
        emit testFinished();
    });
    updateControls();
}

PluginKeyTestPanel::~PluginKeyTestPanel() = default;

void PluginKeyTestPanel::setPlugin(const QString& plugin)
{
    m_plugin = plugin;
    const PluginKeyDeclaration declaration =
        plugin.isEmpty() ? PluginKeyDeclaration()
                         : ReadPluginKeyDeclaration(IniFile::load(PluginFilePath(m_paths, plugin)));
    m_takesKey = declaration.declared;
    m_keyLabel->setText(m_takesKey ? u"キー (%1):"_s.arg(declaration.name) : u"キー:"_s);
    m_key->clear();
    updateControls();
}

void PluginKeyTestPanel::saveKey()
{
    const QString key = m_key->text().trimmed();
    if (m_plugin.isEmpty() || !m_takesKey || key.isEmpty())
        return;
    QString error;
    if (!SaveUserKey(m_paths, m_plugin, key, &error)) {
        m_report->setPlainText(error);
        return;
    }
    m_key->clear();
    m_report->setPlainText(m_plugin + u": キーを設定しました。"_s);
    updateControls();
}

void PluginKeyTestPanel::clearKey()
{
    if (m_plugin.isEmpty())
        return;
    QString error;
    if (!SaveUserKey(m_paths, m_plugin, {}, &error)) {
        m_report->setPlainText(error);
        return;
    }
    m_report->setPlainText(m_plugin + u": キーを消しました。"_s);
    updateControls();
}

void PluginKeyTestPanel::startTest()
{
    if (m_plugin.isEmpty() || m_test->isRunning())
        return;
    m_report->setPlainText(m_plugin + u": テスト中…"_s);
    m_test->start({m_plugin});
    updateControls();
}

void PluginKeyTestPanel::showReport(const PluginTestReport& report)
{
    m_report->setPlainText(DescribeTestReport(report));
}

void PluginKeyTestPanel::updateControls()
{
    const bool selected = !m_plugin.isEmpty();
    const bool keySet = selected && m_takesKey && !LoadUserKey(m_paths, m_plugin).isEmpty();
    m_key->setEnabled(selected && m_takesKey);
    m_key->setPlaceholderText(!m_takesKey ? u"このプラグインはキーを使いません"_s
                              : keySet    ? u"設定済み (新しいキーで置き換えます)"_s
                                          : u"未設定"_s);
    m_saveKey->setEnabled(selected && m_takesKey && !m_key->text().trimmed().isEmpty());
    m_clearKey->setEnabled(keySet);
    m_testButton->setEnabled(selected && !m_test->isRunning());
}

} // namespace sokuri
