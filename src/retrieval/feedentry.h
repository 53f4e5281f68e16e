#pragma once

#include "retrieval/entryreader.h"
#include "searchplugins/pluginslot.h"

#include <QString>
#include <QStringView>

namespace sokuri {

// What one RSS 2.0, RSS 1.0 (RDF) or Atom entry says, as plain text.
struct FeedEntry
{
    QString title;   // "title" (else "dc:title"), white space folded
    QString address; // the entry's web address, absolute; empty without one
    QString text;    // description, summary or content as plain text
};

// Reads an entry cut out of a feed ("<item>…</item>", "<entry>…</entry>")
// with text rules, so that namespace prefixes declared outside it and the
// HTML references that feeds carry do not matter. Elements are found by their
// own names only: "<dc:title>" is not "<title>". Character data sections are
// unwrapped and character references decoded; markup that a text holds
// (escaped HTML in a description) is dropped. The address is the text of
// "<link>", or the href of an Atom "<link>" whose rel is absent or
// "alternate", else a "<guid>", "<id>" or "rdf:about" that is a web address;
// a relative one is resolved against baseUrl, and only "http:" and "https:"
// addresses are kept.
FeedEntry ReadFeedEntry(QStringView entry, QStringView baseUrl);

// The same, with the elements a plugin names in place of the usual ones: the
// title, the text and the address (the link element's text or href) are
// read from those elements where a name is given.
FeedEntry ReadFeedEntry(QStringView entry, QStringView baseUrl, const FeedElementNames& names);

// The small page that stands for a feed entry in the viewer and in
// documents: the title as a link to the address in the window "_sokuri"
// (plain when there is no address), then the text.
QString FeedEntryPage(const QString& title, const QString& address, const QString& text);

// Reads the entries of a feed ("[result] format=feed"): the row's title and
// site from ReadFeedEntry, its html the FeedEntryPage, its relevance from the
// relevance markers in the entry as it came.
class FeedEntryReader final : public EntryReader
{
public:
    ResultRow entryRow(const PluginSlot& slot, SlotState& state, QStringView entry,
                       const QString* whole) const override;
};

} // namespace sokuri
