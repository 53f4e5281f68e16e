#include "dialogs/frmabout.h"

#include "app/systeminfo.h"
#include "platform/qtmessagesink.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

#ifndef SOKURI_AUTHOR_LINE1
#define SOKURI_AUTHOR_LINE1 ""
#endif
#ifndef SOKURI_AUTHOR_LINE2
#define SOKURI_AUTHOR_LINE2 ""
#endif
#ifndef SOKURI_AUTHOR_LINE3
#define SOKURI_AUTHOR_LINE3 ""
#endif

namespace sokuri {

namespace {

const QString AppTitle = u"Sokuri"_s;

QFrame* line(QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
    , m_ownMessages(std::make_unique<QtMessageSink>(this))
    , m_messages(m_ownMessages.get())
{
    setWindowTitle(AppTitle + u"のﾊﾞｰｼﾞｮﾝ情報");

    // The main window's icon: the parent's when there is one, else the
    // application's.
    const QIcon icon = parent ? parent->window()->windowIcon() : QApplication::windowIcon();
    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(u"picIcon"_s);
    if (!icon.isNull())
        picIcon->setPixmap(icon.pixmap(32, 32));

    auto* lblTitle = new QLabel(AppTitle, this);
    lblTitle->setObjectName(u"lblTitle"_s);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    auto* lblVersion = new QLabel(u"ﾊﾞｰｼﾞｮﾝ "_s + QString::fromUtf8(SOKURI_VERSION_TEXT), this);
    lblVersion->setObjectName(u"lblVersion"_s);

    auto* lblDescription = m_description =
        new QLabel(u"Author : "_s + QString::fromUtf8(SOKURI_AUTHOR_LINE1) + u"\nE-Mail : "_s +
                       QString::fromUtf8(SOKURI_AUTHOR_LINE2) + u"\nWWW : "_s +
                       QString::fromUtf8(SOKURI_AUTHOR_LINE3),
                   this);
    lblDescription->setObjectName(u"lblDescription"_s);
    lblDescription->setTextFormat(Qt::PlainText);
    lblDescription->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* cmdOK = new QPushButton(u"OK"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setDefault(true);
    auto* cmdSysInfo = new QPushButton(u"ｼｽﾃﾑ情報(&S)..."_s, this);
    cmdSysInfo->setObjectName(u"cmdSysInfo"_s);
    cmdSysInfo->setAutoDefault(false);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addWidget(line(this));
    texts->addWidget(lblDescription);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line(this));
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

frmAbout::~frmAbout() = default;

void frmAbout::setFacts(const AboutFacts& facts)
{
    m_hasFacts = true;
    m_facts = facts;
    // The author lines only where the deployment supplied them.
    QStringList lines;
    const std::pair<const char*, const char*> authors[] = {{"Author : ", SOKURI_AUTHOR_LINE1},
                                                           {"E-Mail : ", SOKURI_AUTHOR_LINE2},
                                                           {"WWW : ", SOKURI_AUTHOR_LINE3}};
    for (const auto& [caption, value] : authors) {
        if (*value)
            lines.append(QString::fromUtf8(caption) + QString::fromUtf8(value));
    }
    lines.append(u"ライセンス : "_s + facts.licence);
    lines.append(u"ヘルプ : "_s + facts.helpPath);
    lines.append(u"プラグイン : "_s + facts.pluginPath);
    lines.append(u"設定 : "_s + facts.settingsPath);
    lines.append(u"解析 : "_s + facts.analyser);
    m_description->setText(lines.join(u'\n'));
}

void frmAbout::setMessageSink(MessageSink* messages)
{
    m_messages = messages ? messages : m_ownMessages.get();
}

QStringList frmAbout::SystemInfoViewers()
{
    return {u"gnome-system-monitor"_s, u"kinfocenter"_s, u"hardinfo"_s, u"xfce4-taskmanager"_s,
            u"lxtask"_s};
}

void frmAbout::StartSysInfo()
{
    if (m_hasFacts) {
        showSystemInfo();
        return;
    }
    for (const QString& name : SystemInfoViewers()) {
        const QString program = QStandardPaths::findExecutable(name);
        if (program.isEmpty())
            continue;
        // A viewer found but not started ends in the message as well.
        if (QProcess::startDetached(program, {}))
            return;
        break;
    }
    m_messages->information({u"現時点ではｼｽﾃﾑ情報を使用できません"_s, AppTitle});
}

} // namespace sokuri

namespace sokuri {

void frmAbout::showSystemInfo()
{
    m_systemInfo = SystemVersionLines().join(u'\n') + u"\n解析: "_s + m_facts.analyser;
    if (!m_systemInfoBox) {
        auto* box = new QDialog(this);
        box->setObjectName(u"frmSysInfo"_s);
        box->setWindowTitle(u"ｼｽﾃﾑ情報"_s);
        m_systemInfoBox = new QPlainTextEdit(box);
        m_systemInfoBox->setObjectName(u"txtSysInfo"_s);
        m_systemInfoBox->setReadOnly(true);
        auto* copy = new QPushButton(u"コピー(&C)"_s, box);
        copy->setObjectName(u"cmdCopy"_s);
        auto* close = new QPushButton(u"OK"_s, box);
        close->setDefault(true);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(copy);
        buttons->addWidget(close);
        auto* layout = new QVBoxLayout(box);
        layout->addWidget(m_systemInfoBox);
        layout->addLayout(buttons);
        box->resize(560, 300);
        connect(copy, &QPushButton::clicked, this,
                [this] { QGuiApplication::clipboard()->setText(m_systemInfoBox->toPlainText()); });
        connect(close, &QPushButton::clicked, box, &QDialog::accept);
    }
    m_systemInfoBox->setPlainText(m_systemInfo);
    m_systemInfoBox->parentWidget()->show();
    askAnalyserVersion();
}

void frmAbout::askAnalyserVersion()
{
    // Asked in the background: the box is there at once, the analyser's
    // answer follows on its own line.
    if (m_facts.analyserProgram.isEmpty() || m_facts.analyserVersionOption.isEmpty()) {
        emit systemInfoComplete();
        return;
    }
    auto* process = new QProcess(this);
    process->setProcessChannelMode(QProcess::MergedChannels);
    connect(process, &QProcess::finished, this, [this, process] {
        const QString answer =
            QString::fromLocal8Bit(process->readAll()).section(u'\n', 0, 0).trimmed();
        process->deleteLater();
        m_systemInfo += u"\n解析プログラム: "_s + (answer.isEmpty() ? u"(答えなし)"_s : answer);
        m_systemInfoBox->setPlainText(m_systemInfo);
        emit systemInfoComplete();
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        m_systemInfo += u"\n解析プログラム: 起動できません"_s;
        m_systemInfoBox->setPlainText(m_systemInfo);
        emit systemInfoComplete();
    });
    process->start(m_facts.analyserProgram, {m_facts.analyserVersionOption});
}

} // namespace sokuri
