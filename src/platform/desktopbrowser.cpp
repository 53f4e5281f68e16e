#include "platform/desktopbrowser.h"

#include <QDesktopServices>
#include <QUrl>

namespace sokuri {

bool DesktopBrowser::open(const QString& url, const QString& target, Failure& failure)
{
    Q_UNUSED(target);
    if (QDesktopServices::openUrl(QUrl(url)))
        return true;
    failure = {1, QStringLiteral("QDesktopServices"),
               QStringLiteral("the desktop could not open ") + url};
    return false;
}

} // namespace sokuri
