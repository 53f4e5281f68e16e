#include "dialogs/frmabout.h"

#include "platform/qtmessagesink.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
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

    auto* lblDescription =
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
