#pragma once

// Plugin files and answer pages for runs against local test engines.

#include "common/appstate.h"
#include "support/testfiles.h"

#include <QString>
#include <QStringList>

#include <utility>

namespace sokuri::test {

// One plugin of an engine on 127.0.0.1: its search script, its query (a
// hidden lang=ja and the keywords as q) and the markers of the pages that
// resultPage() writes.
struct EnginePlugin
{
    EnginePlugin(QString pluginName, quint16 enginePort)
        : name(std::move(pluginName))
        , port(enginePort)
    {}

    QString name;
    quint16 port = 0;
    QString host = QStringLiteral("127.0.0.1");
    QString scheme = QStringLiteral("http");
    QString path = QStringLiteral("/s");
    QString method = QStringLiteral("GET");
    QString resultCharset = QStringLiteral("x-sjis");
    QString searchCharset; // the search section's charset; empty: none
    QString timeout;       // the search section's timeout; empty: none
    QString moreSearch;    // further lines of the search section ("key=value\r\n")
    QString moreInit;      // further lines of the init section ("key=value\r\n")
};

inline void writeEnginePlugin(const AppPaths& paths, const EnginePlugin& plugin)
{
    QString text = QStringLiteral("[init]\r\nname=") + plugin.name +
                   QStringLiteral("\r\nurl=http://") + plugin.host + QStringLiteral("/\r\n") +
                   plugin.moreInit;
    text += QStringLiteral("[search]\r\naction=") + plugin.scheme + QStringLiteral("://") +
            plugin.host + u':' + QString::number(plugin.port) + plugin.path +
            QStringLiteral("\r\nmethod=") + plugin.method + QStringLiteral("\r\n");
    if (!plugin.searchCharset.isEmpty())
        text += QStringLiteral("charset=") + plugin.searchCharset + QStringLiteral("\r\n");
    if (!plugin.timeout.isEmpty())
        text += QStringLiteral("timeout=") + plugin.timeout + QStringLiteral("\r\n");
    text += plugin.moreSearch;
    text += QStringLiteral("inpcount=2\r\n"
                           "inp01=<input type=\"hidden\" name=\"lang\" value=\"ja\">\r\n"
                           "inp02=<input type=\"text\" name=\"q\" user>\r\n");
    text += QStringLiteral("[result]\r\ncharset=") + plugin.resultCharset +
            QStringLiteral("\r\nListStart=<ol>\r\nListEnd=</ol>\r\nItemStart=<li>\r\n"
                           "ItemEnd=</li>\r\nRelevanceStart=<b>\r\nRelevanceEnd=</b>\r\n");
    writeSjisFile(paths.PluginPath + u'/' + plugin.name + QStringLiteral(".ini"), text);
}

// An answer page: a header line, an advertisement outside the list, then one
// list entry a line, each a link to /doc/<n> with the title and a score
// (scores[n], or 100 - 10 n without scores).
inline QString resultPage(const QStringList& titles, const QList<int>& scores = {})
{
    QString page =
        QStringLiteral("<html><body>\r\n<h1>検索結果</h1>\r\n<a href=\"/ad\">広告</a>\r\n"
                       "<ol>\r\n");
    for (int n = 0; n < titles.size(); ++n) {
        const int score = n < scores.size() ? scores[n] : 100 - 10 * n;
        page += QStringLiteral("<li><a href=\"/doc/%1\">").arg(n) + titles[n] +
                QStringLiteral("</a> <b>%1</b></li>\r\n").arg(score);
    }
    page += QStringLiteral("</ol>\r\n</body></html>\r\n");
    return page;
}

} // namespace sokuri::test
