#include "platform/desktopbrowser.h"

#include <QDesktopServices>
#include <QUrl>

namespace sokuri {

bool DesktopBrowser::open(const QString& url, const QString& target, Failure& failure)
{
    Q_UNUSED(target);
    if (QDesktopServices::openUrl(QUrl(url)))
        return true;
    // Told in the program's words: what was to be opened, then why not.
    failure = {1, QStringLiteral("ブラウザーで開けませんでした: ") + url,
               QStringLiteral("このデスクトップには、アドレスを開くブラウザーが見つかりません"
                              "（xdg-open の設定をご確認ください）。")};
    return false;
}

} // namespace sokuri
