#pragma once

#include "searchplugins/pluginslot.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The answer pages the benchmarks feed through the reply path: a result list
// of entries of about 150 bytes each, with relative, absolute, image-only and
// https title links, relevance figures, Japanese snippets and a banner in
// every twentieth entry.
namespace sokuri::bench {

struct PageText
{
    QStringList lines; // each ending in CR LF
    qsizetype entries = 0;
};

struct PageShape
{
    // The page grows until it holds this many entries, or until its
    // Shift_JIS size reaches targetBytes, whichever is set.
    qsizetype entries = 0;
    qint64 targetBytes = 0;
    // Entries side by side on lines of up to 32,000 characters (a page
    // without line breaks) rather than one a line.
    bool packed = false;
    // The status line and the header lines of the HTTP reply in front.
    bool httpHeaders = true;
};

PageText MakePage(const PageShape& shape);

// The size of text as Shift_JIS bytes: ASCII one byte, every other character
// of the pages two.
qint64 SjisSize(const QString& text);

// The page as the engine sends it, in the plugin character set charset
// ("iso-2022-jp", "x-euc-jp", "x-sjis", "utf-8").
QByteArray EncodePageBytes(const PageText& page, const QString& charset);

// The plugin of the pages: the markers of their result list.
PluginSlot PageSlot(const QString& charset);

// A page as today's large engines send it, in UTF-8: result lists on lines
// of about 100 KB, entries of about 1.2 KB that open with a link to the site,
// hold the title link in a heading with attributes before its href,
// character references in titles and snippets, and nested lists.
PageText MakeLongLinePage(qint64 targetBytes);
// The plugin of those pages (the title after "<h2").
PluginSlot LongLineSlot();

} // namespace sokuri::bench
