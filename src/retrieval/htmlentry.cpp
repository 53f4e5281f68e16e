#include "retrieval/htmlentry.h"

#include "retrieval/anchortags.h"
#include "retrieval/linkrewriting.h"
#include "retrieval/relevancefigure.h"

namespace sokuri {

ResultRow HtmlEntryReader::entryRow(const PluginSlot& slot, SlotState& state, QStringView entry,
                                    const QString* whole) const
{
    ResultRow row;
    row.plugin = slot.Name;
    // The title link is taken before any rewriting; a redirect link stands
    // for the address it carries.
    const EntryMarks marks(entry);
    const AnchorTags tags = anchorTagsOf(entry, marks);
    const QStringView anchor = titleAnchor(entry, tags, slot.TitleStart, row.title);
    const QString address =
        slot.LinkParam.isEmpty()
            ? QString()
            : unwrappedAddress(anchorLink(anchor), slot.LinkParam, slot.LinkParamBase64Prefix);
    if (!address.isEmpty()) {
        row.site = siteOf(address);
    } else if (!anchor.isEmpty()) {
        const qsizetype from = anchor.data() - entry.data();
        row.site = siteOf(entry, marks, from, from + anchor.size());
    }
    row.html = rewrittenEntry(entry, tags, marks, slot, whole);
    row.relevance = relevanceFigure(slot, state, row.html);
    return row;
}

} // namespace sokuri
