#include "retrieval/entryreader.h"

#include "retrieval/feedentry.h"
#include "retrieval/htmlentry.h"
#include "retrieval/jsonentries.h"

namespace sokuri {

bool EntryReader::readBody(const PluginSlot&, SlotState&, QByteArrayView, QList<ResultRow>&,
                           QString&) const
{
    return true;
}

const EntryReader& EntryReaderFor(const PluginSlot& slot)
{
    static const HtmlEntryReader html;
    static const FeedEntryReader feed;
    static const JsonEntryReader json;
    // One line a format.
    if (slot.Feed)
        return feed;
    if (slot.Json.enabled)
        return json;
    return html;
}

} // namespace sokuri
