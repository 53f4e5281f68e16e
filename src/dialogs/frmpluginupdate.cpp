#include "dialogs/frmpluginupdate.h"

#include "searchplugins/pluginupdater.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

// Twips (1/1440 inch) to pixels at the window's logical resolution.
int pixels(int twips, int dotsPerInch)
{
    return (twips * dotsPerInch + 720) / 1440;
}

} // namespace

frmPluginUpdate::frmPluginUpdate(const AppPaths& paths, PluginCatalogue& catalogue,
                                 MessageSink& messages, QWidget* parent)
    : QDialog(parent)
    , m_updater(new PluginUpdater(paths, catalogue, messages, this))
{
    setWindowTitle(u"プラグイン　アップデート"_s);

    m_label = new QLabel(this);
    m_label->setObjectName(u"Label1"_s);
    m_label->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"ProgressBar1"_s);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_stop = new QPushButton(u"中止"_s, this);
    m_stop->setObjectName(u"Command1"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_stop);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_progress);
    layout->addStretch();
    layout->addLayout(buttons);

    // The size is fixed: the window cannot be resized.
    setFixedSize(pixels(WidthTwips, logicalDpiX()), pixels(HeightTwips, logicalDpiY()));

    connect(m_stop, &QPushButton::clicked, this, &frmPluginUpdate::Command1_Click);
    connect(m_updater, &PluginUpdater::statusChanged, m_label, &QLabel::setText);
    connect(m_updater, &PluginUpdater::progressChanged, this, &frmPluginUpdate::showProgress);
    connect(m_updater, &PluginUpdater::finished, this, &frmPluginUpdate::passFinished);
}

frmPluginUpdate::~frmPluginUpdate() = default;

void frmPluginUpdate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        m_updater->start();
    }
}

void frmPluginUpdate::Command1_Click()
{
    done(Rejected);
}

void frmPluginUpdate::done(int result)
{
    if (m_updater->isRunning()) {
        // The pass ends before its next plugin; passFinished() closes.
        m_closeRequested = true;
        m_closeResult = result;
        m_stop->setEnabled(false);
        m_updater->stop();
        return;
    }
    QDialog::done(result);
}

void frmPluginUpdate::showProgress(int done, int total)
{
    // A pass over no plugins still has a valid range (0 to 0 would show a
    // busy bar instead).
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(std::min(done, std::max(total, 1)));
}

void frmPluginUpdate::passFinished(bool stopped)
{
    // After the completion message (the pass showed it) the window closes;
    // a stopped pass closes as it was asked to.
    QDialog::done(stopped && m_closeRequested ? m_closeResult : Accepted);
}

} // namespace sokuri
