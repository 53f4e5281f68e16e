#pragma once

#include "retrieval/resultrow.h"
#include "retrieval/slotstate.h"
#include "searchplugins/pluginslot.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace sokuri {

// The longest entry text collected, in UTF-16 characters (1 MiB of them). An
// entry that grows beyond it is dropped: it yields no row, but the rest of it,
// up to its ItemEnd, is still consumed so that it does not turn into rows.
constexpr qsizetype MaxItemTextLength = qsizetype(1) << 20;

// Takes one decoded reply line (normally ending in CR LF) of the connection
// whose plugin is slot: a base address in it ("base href=") replaces
// slot.BaseUrl, and the result markers of slot cut entries out of it. The
// marker state carries over from line to line in state; every entry that ends
// is turned into a row by the reader of the plugin's format (ProcessItem)
// and appended to rows. A marker that would not move the scan forward ends
// the scan of the line, so no line loops. A caller that knows the line holds
// no "base href=" passes mayHoldBase false, and the line is not looked at for
// it.
void ProcessLine(PluginSlot& slot, SlotState& state, QStringView line, QList<ResultRow>& rows,
                 bool mayHoldBase = true);

// Turns one finished entry into a result row by the reader of the plugin's
// answer format (EntryReaderFor). For the HTML entries of the written rules:
// the title from the first anchor with text; links and image sources made
// absolute against slot.BaseUrl (links that name a scheme or start with "#"
// are left as they are, "//host" links get the scheme of BaseUrl); every
// anchor pointed at the window "_sokuri" unless it names a target of its
// own; the relevance scaled by the connection's factor (the first figure
// shown sets it so that it reads 100); the title link's host with its labels
// reversed as the site. itemText is rewritten in place and is also the row's
// html.
ResultRow ProcessItem(const PluginSlot& slot, SlotState& state, QString& itemText);

} // namespace sokuri
