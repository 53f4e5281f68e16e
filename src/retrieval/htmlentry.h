#pragma once

#include "retrieval/entryreader.h"

namespace sokuri {

// Reads an HTML entry by the written rules: the title from the first anchor
// with text (after the title marker, when the plugin has one); links and
// image sources made absolute against slot.BaseUrl, every anchor pointed at
// the window "_sokuri"; the title link's host, or the real address of a
// redirect link (LinkParam), as the site. The rewritten entry is the row's
// html, and its relevance markers give the relevance.
class HtmlEntryReader final : public EntryReader
{
public:
    ResultRow entryRow(const PluginSlot& slot, SlotState& state, QStringView entry,
                       const QString* whole) const override;
};

} // namespace sokuri
