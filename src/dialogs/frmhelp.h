#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

class QTextBrowser;

namespace sokuri {

// The program's own help window: the help pages shown in a text browser
// that follows their links among the local pages, so the help needs no web
// browser. A link that leaves the help (a web address) is handed on through
// externalLinkClicked. The window is not modal; the main window keeps one.
//
// Controls by object name: frmHelp, helpBrowser.
class frmHelp : public QDialog
{
    Q_OBJECT

public:
    explicit frmHelp(QWidget* parent = nullptr);

    // Shows page (a local HTML file); a missing page is said in the window.
    void showPage(const QString& path);
    // The page shown now.
    QUrl source() const;

signals:
    void externalLinkClicked(const QUrl& url);

private:
    void followLink(const QUrl& url);

    QTextBrowser* m_browser = nullptr;
};

} // namespace sokuri
