#include "dialogs/frmpluginmanager.h"

#include "dialogs/dialogbutton.h"
#include "dialogs/pluginkeytestpanel.h"
#include "dialogs/pluginmanagerrests.h"
#include "platform/filedialogs.h"
#include "platform/messagesink.h"
#include "searchplugins/plugincatalogue.h"
#include "searchplugins/plugininstaller.h"
#include "searchplugins/pluginstore.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

const QString InstallTitle = u"プラグインのインストール"_s;

} // namespace

frmPluginManager::frmPluginManager(const AppPaths& paths, PluginCatalogue& catalogue,
                                   MessageSink& messages, FileDialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_paths(paths)
    , m_catalogue(catalogue)
    , m_messages(messages)
    , m_dialogs(dialogs)
    , m_installer(new PluginInstaller(paths, &catalogue, this))
{
    setObjectName(u"frmPluginManager"_s);
    setWindowTitle(u"プラグインの管理"_s);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"PluginList"_s);
    m_list->setHeaderLabels({u"名前"_s, u"バージョン"_s, u"アドレス"_s, u"ファイル"_s});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);

    m_address = new QLineEdit(this);
    m_address->setObjectName(u"txtAddress"_s);
    m_address->setPlaceholderText(u"https://… (プラグインファイルか OpenSearch 記述のアドレス)"_s);

    m_installFile = DialogButton(u"cmdInstallFile"_s, u"ファイルからインストール…"_s, this);
    m_installAddress = DialogButton(u"cmdInstallAddress"_s, u"アドレスからインストール"_s, this);
    m_import = DialogButton(u"cmdImportOpenSearch"_s, u"OpenSearch を取り込む…"_s, this);
    m_import->setToolTip(u"アドレスが入力されていればそこから、なければファイルから取り込みます"_s);
    m_remove = DialogButton(u"cmdRemove"_s, u"削除"_s, this);
    m_close = DialogButton(u"cmdClose"_s, u"閉じる"_s, this);

    auto* address = new QFormLayout;
    address->addRow(u"アドレス:"_s, m_address);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_installFile, m_installAddress, m_import, m_remove})
        buttons->addWidget(b);
    m_rests = new PluginManagerRests(m_paths, *m_list, *buttons);
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    m_keyTest = new PluginKeyTestPanel(paths, this);
    layout->addWidget(m_keyTest);
    layout->addLayout(address);
    layout->addLayout(buttons);
    resize(640, 480);

    connect(m_installFile, &QPushButton::clicked, this, &frmPluginManager::installFromFile);
    connect(m_installAddress, &QPushButton::clicked, this, &frmPluginManager::installFromAddress);
    connect(m_import, &QPushButton::clicked, this, &frmPluginManager::importOpenSearch);
    connect(m_remove, &QPushButton::clicked, this, &frmPluginManager::removeSelected);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &frmPluginManager::updateButtons);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
        m_keyTest->setPlugin(selected.isEmpty() ? QString() : selected.constFirst()->text(0));
    });
    connect(&m_catalogue, &QAbstractItemModel::modelReset, this, &frmPluginManager::fillList);
    connect(m_installer, &PluginInstaller::finished, this, &frmPluginManager::installFinished);
    m_installer->setConfirmReplace([this](const QString& name) {
        return m_messages.question(
            {u"プラグイン「%1」は既にあります。置き換えますか?"_s.arg(name), InstallTitle});
    });
    fillList();
}

frmPluginManager::~frmPluginManager() = default;

void frmPluginManager::fillList()
{
    m_list->clear();
    for (const CatalogueEntry& entry : m_catalogue.entries()) {
        const QString file = FindPluginFile(m_paths, entry.text);
        m_list->addTopLevelItem(new QTreeWidgetItem(
            {entry.text, entry.version, entry.url, QFileInfo(file).fileName()}));
    }
    if (m_rests)
        m_rests->refresh();
    updateButtons();
}

void frmPluginManager::updateButtons()
{
    const bool idle = !m_installer->isBusy();
    for (QPushButton* b : {m_installFile, m_installAddress, m_import})
        b->setEnabled(idle);
    m_remove->setEnabled(idle && !m_list->selectedItems().isEmpty());
}

void frmPluginManager::installFromFile()
{
    const QString file = m_dialogs.openFileName(
        {QDir::homePath(), {}, {u"プラグイン (*.ini)"_s, u"すべてのﾌｧｲﾙ (*)"_s}, {}});
    if (!file.isEmpty() && m_installer->install(file))
        updateButtons();
}

void frmPluginManager::installFromAddress()
{
    const QString address = m_address->text().trimmed();
    if (address.isEmpty()) {
        m_messages.critical({u"アドレスを入力してください。"_s, InstallTitle});
        return;
    }
    if (m_installer->install(address))
        updateButtons();
}

void frmPluginManager::importOpenSearch()
{
    QString source = m_address->text().trimmed();
    if (source.isEmpty()) {
        source = m_dialogs.openFileName(
            {QDir::homePath(), {}, {u"OpenSearch 記述 (*.xml)"_s, u"すべてのﾌｧｲﾙ (*)"_s}, {}});
    }
    if (!source.isEmpty() && m_installer->importOpenSearch(source))
        updateButtons();
}

void frmPluginManager::installFinished(const PluginInstallResult& result)
{
    updateButtons();
    if (!result.installed) {
        m_messages.critical({result.errorText, InstallTitle});
        return;
    }
    m_address->clear();
    const QList<QTreeWidgetItem*> found = m_list->findItems(result.name, Qt::MatchExactly);
    if (!found.isEmpty())
        m_list->setCurrentItem(found.first());
}

void frmPluginManager::removeSelected()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty())
        RemovePluginAsked(m_paths, m_catalogue, m_messages, selected.first()->text(0));
}

} // namespace sokuri
