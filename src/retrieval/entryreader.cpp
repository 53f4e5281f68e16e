#include "retrieval/entryreader.h"

#include "retrieval/feedentry.h"
#include "retrieval/htmlentry.h"

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
    // One line a format.
    if (slot.Feed)
        return feed;
    return html;
}

} // namespace sokuri
