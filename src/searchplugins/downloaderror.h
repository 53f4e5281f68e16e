#pragma once

#include <QNetworkReply>
#include <QString>

namespace sokuri {

// The program's own text for a failed download, in the words a search uses
// ("ホストが見つかりません", "接続を拒否されました", "HTTP 404 (Not Found)"
// ...), instead of Qt's English error string; a proxy's failure names the
// proxy. aborted: the download was dropped on purpose, not by its time-out.
QString DownloadErrorText(const QNetworkReply& reply, bool aborted);

} // namespace sokuri
