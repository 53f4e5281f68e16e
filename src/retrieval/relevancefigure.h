#pragma once

#include "retrieval/slotstate.h"
#include "searchplugins/pluginslot.h"

#include <QString>
#include <QStringView>

namespace sokuri {

// The leading decimal number of text: optional blanks, an optional sign,
// digits with an optional fraction ("12", "12.5", ".5"); 0 when there is
// none. Too many digits for a double give infinity.
double leadingNumber(QStringView text);

// The relevance figure of an entry: the leading number x between the relevance
// markers, shown as the integer part of scale × x + 0.5. The first entry with
// a non-zero x sets the connection's scale to 100 / x (while the scale's
// integer part is 0 it is set again), so it shows 100. No markers, an end
// marker that overlaps the start marker, or an x of 0 that would have to set
// the scale give no figure.
QString relevanceFigure(const PluginSlot& slot, SlotState& state, QStringView text);

} // namespace sokuri
