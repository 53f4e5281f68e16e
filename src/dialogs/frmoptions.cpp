#include "dialogs/frmoptions.h"

#include "common/analyserprogram.h"
#include "common/inifile.h"
#include "dialogs/keywordoptionspage.h"
#include "dialogs/proxyoptionspage.h"
#include "dialogs/searchpacingpage.h"
#include "platform/qtfiledialogs.h"
#include "platform/qtmessagesink.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

const QString Section = u"chasen"_s;

} // namespace

frmOptions::frmOptions(const AppPaths& paths, QWidget* parent)
    : QDialog(parent)
    , m_paths(paths)
    , m_ownFileDialogs(std::make_unique<QtFileDialogs>(this))
    , m_ownMessages(std::make_unique<QtMessageSink>(this))
    , m_fileDialogs(m_ownFileDialogs.get())
    , m_messages(m_ownMessages.get())
{
    setWindowTitle(u"設定"_s);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(u"tbsOptions"_s);
    auto* page = new QWidget;
    page->setObjectName(u"picOptions0"_s);
    m_tabs->addTab(page, u"茶筅"_s);
    m_tabs->setTabToolTip(0, u"茶筅の設定"_s);

    auto* choiceFrame = new QGroupBox(page);
    choiceFrame->setObjectName(u"chasenFrame1"_s);
    m_local = new QRadioButton(u"ローカル"_s, choiceFrame);
    m_local->setObjectName(u"chasenType0"_s);
    m_remote = new QRadioButton(u"リモート"_s, choiceFrame);
    m_remote->setObjectName(u"chasenType1"_s);
    auto* choiceLayout = new QHBoxLayout(choiceFrame);
    choiceLayout->addWidget(m_local);
    choiceLayout->addWidget(m_remote);
    choiceLayout->addStretch();

    m_localFrame = new QGroupBox(u"ローカル"_s, page);
    m_localFrame->setObjectName(u"chasenFrame2"_s);
    auto* fileLabel = new QLabel(u"実行ファイル"_s, m_localFrame);
    fileLabel->setObjectName(u"Label1"_s);
    m_fileName = new QLineEdit(m_localFrame);
    m_fileName->setObjectName(u"chasenFname"_s);
    // Either analyser will do; the command file tells them apart by name.
    m_fileName->setToolTip(u"ChaSen または MeCab の実行ファイル"_s);
    m_fileName->setPlaceholderText(DefaultAnalyserProgram());
    fileLabel->setBuddy(m_fileName);
    auto* browse = new QPushButton(u"参照"_s, m_localFrame);
    browse->setObjectName(u"chasenCommand"_s);
    browse->setAutoDefault(false);
    auto* localLayout = new QHBoxLayout(m_localFrame);
    localLayout->addWidget(fileLabel);
    localLayout->addWidget(m_fileName, 1);
    localLayout->addWidget(browse);

    m_remoteFrame = new QGroupBox(u"リモート"_s, page);
    m_remoteFrame->setObjectName(u"chasenFrame3"_s);
    m_host = new QLineEdit(m_remoteFrame);
    m_host->setObjectName(u"chasenHost"_s);
    m_port = new QLineEdit(m_remoteFrame);
    m_port->setObjectName(u"chasenPort"_s);
    auto* hostLabel = new QLabel(u"ホスト名"_s, m_remoteFrame);
    hostLabel->setObjectName(u"Label2"_s);
    hostLabel->setBuddy(m_host);
    auto* portLabel = new QLabel(u"ポート"_s, m_remoteFrame);
    portLabel->setObjectName(u"Label3"_s);
    portLabel->setBuddy(m_port);
    auto* remoteLayout = new QFormLayout(m_remoteFrame);
    remoteLayout->addRow(hostLabel, m_host);
    remoteLayout->addRow(portLabel, m_port);

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(choiceFrame);
    pageLayout->addWidget(m_localFrame);
    pageLayout->addWidget(m_remoteFrame);
    m_keywordsPage = new KeywordOptionsPage(page);
    pageLayout->addWidget(m_keywordsPage);
    pageLayout->addStretch();

    // The second tab: the default time-out of an engine's answer.
    auto* searchPage = new QWidget;
    searchPage->setObjectName(u"picOptions1"_s);
    m_tabs->addTab(searchPage, u"検索"_s);
    m_tabs->setTabToolTip(1, u"検索の設定"_s);
    m_timeout = new QSpinBox(searchPage);
    m_timeout->setObjectName(u"searchTimeout"_s);
    m_timeout->setRange(0, 999999);
    m_timeout->setSuffix(u" 秒"_s);
    m_timeout->setSpecialValueText(u"なし"_s); // 0: engines have all the time they take
    auto* timeoutLabel = new QLabel(u"応答の待ち時間"_s, searchPage);
    timeoutLabel->setObjectName(u"Label4"_s);
    timeoutLabel->setBuddy(m_timeout);
    auto* timeoutNote =
        new QLabel(u"プラグインが自分の待ち時間を持つときは、そちらが優先されます。"_s, searchPage);
    timeoutNote->setWordWrap(true);
    auto* searchLayout = new QFormLayout(searchPage);
    searchLayout->addRow(timeoutLabel, m_timeout);
    searchLayout->addRow(timeoutNote);
    m_pacing = new SearchPacingPage(searchPage);
    searchLayout->addRow(m_pacing);

    m_proxyPage = new ProxyOptionsPage(m_paths);
    m_tabs->addTab(m_proxyPage, u"プロキシ"_s);
    m_tabs->setTabToolTip(m_tabs->count() - 1, u"プロキシの設定"_s);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(u"OK"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"cmdOK"_s);
    ok->setDefault(true);
    auto* cancel = buttons->addButton(u"ｷｬﾝｾﾙ"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"cmdCancel"_s);
    auto* apply = buttons->addButton(u"更新"_s, QDialogButtonBox::ApplyRole);
    apply->setObjectName(u"cmdApply"_s);
    apply->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);

    connect(m_local, &QRadioButton::clicked, this, [this] { chasenType_Click(0); });
    connect(m_remote, &QRadioButton::clicked, this, [this] { chasenType_Click(1); });
    connect(browse, &QPushButton::clicked, this, &frmOptions::chasenCommand_Click);
    connect(apply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(ok, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &frmOptions::reject);

    // Ctrl+Tab reaches the dialog before the control that has the focus;
    // Ctrl+Shift+Tab is another key and does nothing.
    auto* nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    nextTab->setContext(Qt::WidgetWithChildrenShortcut);
    connect(nextTab, &QShortcut::activated, this, &frmOptions::selectNextTab);

    Form_Load();
}

frmOptions::~frmOptions() = default;

void frmOptions::setFileDialogs(FileDialogs* dialogs)
{
    m_fileDialogs = dialogs ? dialogs : m_ownFileDialogs.get();
}

void frmOptions::setMessageSink(MessageSink* messages)
{
    m_messages = messages ? messages : m_ownMessages.get();
}

void frmOptions::Form_Load()
{
    // A missing sokuri.ini is reported, and the dialog opens all the same
    // with empty settings: Apply then makes the file anew.
    UserMessage message;
    if (!LoadSettings(m_paths, m_settings, &message))
        m_loadFailure = message;
    m_fileName->setText(m_settings.filename);
    m_host->setText(m_settings.host);
    m_port->setText(m_settings.port);
    // A stored type other than 0 or 1 selects neither choice, so Apply
    // leaves it as it is; both frames stay disabled until a choice is made.
    chasenType_Click(m_settings.type);
    m_loadedTimeout = LoadSearchTimeout(m_paths);
    m_timeout->setValue(m_loadedTimeout);
    m_pacing->load(m_paths);
    m_keywordsPage->load(m_paths);
}

void frmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The message box waits for the dialog to be on screen, and for the
    // caller's chance to give its own message sink.
    if (m_loadFailure)
        QTimer::singleShot(0, this, &frmOptions::reportLoadFailure);
}

void frmOptions::reportLoadFailure()
{
    if (const std::optional<UserMessage> message = std::exchange(m_loadFailure, std::nullopt))
        m_messages->critical(*message);
}

void frmOptions::chasenType_Click(int index)
{
    if (index == ChasenSettings::Local)
        m_local->setChecked(true);
    else if (index == ChasenSettings::Server)
        m_remote->setChecked(true);
    m_localFrame->setEnabled(index == ChasenSettings::Local);
    m_remoteFrame->setEnabled(index == ChasenSettings::Server);
}

void frmOptions::chasenCommand_Click()
{
    FileDialogRequest request;
    request.fileName = m_fileName->text().isEmpty() ? DefaultAnalyserProgram() : m_fileName->text();
    if (!request.fileName.isEmpty())
        request.folder = QFileInfo(request.fileName).absolutePath();
    // Programs carry no name extension here, so "all files" matches every
    // name, not only names with a dot.
    // The dialog opens on the second: the first names Windows programs only,
    // which would hide every program of /usr/bin.
    request.filters = {u"ﾃｷｽﾄﾌｧｲﾙ(*.exe *.com)"_s, u"すべてのﾌｧｲﾙ (*)"_s};
    request.selectedFilter = 1;
    const QString chosen = m_fileDialogs->openFileName(request);
    if (!chosen.isEmpty())
        m_fileName->setText(chosen);
    m_fileName->setFocus();
}

bool frmOptions::cmdApply_Click()
{
    QList<std::pair<QString, QString>> values;
    if (m_local->isChecked())
        values.append({u"type"_s, u"0"_s});
    else if (m_remote->isChecked())
        values.append({u"type"_s, u"1"_s});
    // Exactly as typed: no trimming, no check.
    values.append({u"filename"_s, m_fileName->text()});
    values.append({u"host"_s, m_host->text()});
    values.append({u"port"_s, m_port->text()});

    for (const auto& [key, value] : values) {
        QString error;
        if (!WriteIniString(Section, key, value, m_paths.IniPath, &error)) {
            m_messages->critical({error, u"Write error"_s});
            return false;
        }
    }
    if (QString error; !m_proxyPage->apply(&error)) {
        m_messages->critical({error, u"Write error"_s});
        return false;
    }
    // A settings file without a time-out keeps having none until one is set.
    if (m_timeout->value() != m_loadedTimeout) {
        QString error;
        if (!WriteIniString(u"search"_s, u"timeout"_s, QString::number(m_timeout->value()),
                            m_paths.IniPath, &error)) {
            m_messages->critical({error, u"Write error"_s});
            return false;
        }
        m_loadedTimeout = m_timeout->value();
    }
    if (QString error; !m_pacing->apply(m_paths, &error)) {
        m_messages->critical({error, u"Write error"_s});
        return false;
    }
    if (QString error; !m_keywordsPage->apply(m_paths, &error)) {
        m_messages->critical({error, u"Write error"_s});
        return false;
    }
    return true;
}

void frmOptions::cmdOK_Click()
{
    // A failed write keeps the dialog open, so the typed values are not lost.
    if (cmdApply_Click())
        accept();
}

void frmOptions::selectNextTab()
{
    const int next = m_tabs->currentIndex() + 1;
    m_tabs->setCurrentIndex(next >= m_tabs->count() ? 0 : next);
}

} // namespace sokuri
