#include "dialogs/frmhelp.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace sokuri {

using namespace Qt::StringLiterals;

frmHelp::frmHelp(QWidget* parent)
    : QDialog(parent, Qt::Window)
{
    setObjectName(u"frmHelp"_s);
    setWindowTitle(u"Sokuri ヘルプ"_s);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(u"helpBrowser"_s);
    // Every link passes through followLink: the help's own pages open here,
    // the rest go to the desktop's browser.
    m_browser->setOpenLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(720, 560);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &frmHelp::followLink);
}

void frmHelp::showPage(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        m_browser->setPlainText(path + u" がありません。"_s);
        return;
    }
    m_browser->setSource(QUrl::fromLocalFile(path));
}

QUrl frmHelp::source() const
{
    return m_browser->source();
}

void frmHelp::followLink(const QUrl& url)
{
    const QUrl target = m_browser->source().resolved(url);
    if (!target.isLocalFile()) {
        emit externalLinkClicked(target);
        return;
    }
    QUrl page = target;
    page.setFragment({});
    if (page == m_browser->source().adjusted(QUrl::RemoveFragment) && target.hasFragment()) {
        m_browser->scrollToAnchor(target.fragment());
        return;
    }
    showPage(target.toLocalFile());
    if (target.hasFragment())
        m_browser->scrollToAnchor(target.fragment());
}

} // namespace sokuri
