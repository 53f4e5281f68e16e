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
    const AnchorTags tags = anchorTagsOf(entry);
    const QStringView anchor = titleAnchor(entry, tags, slot.TitleStart, row.title);
    const QString address =
        slot.LinkParam.isEmpty()
            ? QString()
            : unwrappedAddress(anchorLink(anchor), slot.LinkParam, slot.LinkParamBase64Prefix);
    row.site = address.isEmpty() ? siteOf(anchor) : siteOf(address);
    row.html = rewrittenEntry(entry, tags, slot, whole);
    row.relevance = relevanceFigure(slot, state, row.html);
    return row;
}

} // namespace sokuri
