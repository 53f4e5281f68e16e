#pragma once

#include "retrieval/feedentry.h"
#include "retrieval/resultrow.h"
#include "retrieval/slotstate.h"
#include "searchplugins/jsonresultkeys.h"
#include "searchplugins/pluginslot.h"
#include "searchplugins/readablelength.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace sokuri {

// The longest text kept under a JSON result's title, in characters, unless
// the plugin names its own (ContentMaxLength); a longer one (a whole
// article's body) is cut there and ends with "…".
constexpr qsizetype MaxJsonTextLength = DefaultContentMaxLength;

// Reads the results of a whole JSON answer by the plugin's paths: the
// results array at keys.results, and in each result the title, the address
// (keys.url, else keys.altUrl; one that is no web address gets
// keys.urlPrefix in front, or without a prefix is resolved against baseUrl;
// only "http:" and "https:" addresses are kept) and the text, cut to
// contentMaxLength characters. The title and the text may join several paths
// (see JsonTemplate). Titles and
// texts are HTML as far as they hold markup: character references are
// decoded and tags removed. A result without a title is skipped. The body is
// decoded by charset first, as the lines of other answers are.
//
// The body is parsed with simdjson. False, with reason, when the body is no
// JSON (told in the words of Qt's reader where it refuses the body as well:
// its error and the byte where it stopped; a document nested more than 1,024
// deep among them), or the results path leads nowhere or to something that
// is not an array.
bool ReadJsonEntries(QByteArrayView body, QStringView charset, const JsonResultKeys& keys,
                     QStringView baseUrl, QList<FeedEntry>& entries, QString& reason,
                     qsizetype contentMaxLength = MaxJsonTextLength);

// Reads a whole JSON answer ("[result] format=json") by the plugin's paths:
// each result a row whose html is a small page like a feed entry's, its site
// the address's host reversed.
class JsonEntryReader final : public EntryReader
{
public:
    ResultRow entryRow(const PluginSlot& slot, SlotState& state, QStringView entry,
                       const QString* whole) const override;
    bool readsWholeBody() const override { return true; }
    bool readBody(const PluginSlot& slot, SlotState& state, QByteArrayView body,
                  QList<ResultRow>& rows, QString& reason) const override;
};

} // namespace sokuri
