#include "retrieval/extraction.h"

#include "retrieval/entryreader.h"
#include "retrieval/linkrewriting.h"
#include "retrieval/textsearch.h"

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// A base address in the page ("base href=" anywhere in the line, letters in
// any case): the line's first "http://" or "https://" address up to the "/"
// after its host, in lower case, replaces BaseUrl. Without such an address,
// or when no "/" follows the host directly, BaseUrl stays as it is. So does
// a host longer than any host name with a port: BaseUrl is copied into every
// relative link, and a page must not make that copy arbitrarily long.
void takeBaseAddress(PluginSlot& slot, QStringView line)
{
    constexpr qsizetype maxHostAndPort = 253 + 6; // the longest DNS name, ":65535"
    if (findNoCase(line, "base href="_L1, 0) < 0)
        return;
    qsizetype prefixLength = 0;
    const qsizetype a = findWebAddress(line, prefixLength, true);
    if (a < 0)
        return;
    const qsizetype hostStart = a + prefixLength;
    const qsizetype b = line.indexOf(u'/', hostStart);
    if (b <= hostStart || b - hostStart > maxHostAndPort)
        return;
    for (qsizetype i = hostStart; i < b; ++i) {
        if (endsHost(line[i]) && line[i] != u':')
            return;
    }
    slot.BaseUrl = line.sliced(a, b + 1 - a).toString().toLower();
}

// Appends to the entry text while it stays within MaxItemTextLength; an entry
// that outgrows it is marked too long and its text released.
void appendToItem(SlotState& state, QStringView text)
{
    if (state.ItemTooLong)
        return;
    if (text.size() > MaxItemTextLength - state.ItemText.size()) {
        state.ItemTooLong = true;
        state.ItemText = QString();
        return;
    }
    state.ItemText.append(text);
}

} // namespace

ResultRow ProcessItem(const PluginSlot& slot, SlotState& state, QString& itemText)
{
    ResultRow row = EntryReaderFor(slot).entryRow(slot, state, itemText, &itemText);
    itemText = row.html;
    return row;
}

void ProcessLine(PluginSlot& slot, SlotState& state, QStringView line, QList<ResultRow>& rows,
                 bool mayHoldBase)
{
    if (mayHoldBase)
        takeBaseAddress(slot, line);
    const EntryReader& reader = EntryReaderFor(slot);

    auto listStart = nextMarker(line, slot.ListStart);
    auto listEnd = nextMarker(line, slot.ListEnd);
    auto itemStart = nextMarker(line, slot.ItemStart);
    auto itemEnd = nextMarker(line, slot.ItemEnd);
    auto bannerStart = nextMarker(line, slot.BannerStart);
    auto bannerEnd = nextMarker(line, slot.BannerEnd);

    // The marker states already taken at the current position: coming back to
    // one of them without moving on (empty markers that would go round for
    // ever) ends the scan of the line.
    unsigned seenHere = 0;
    qsizetype seenAt = -1;

    const qsizetype size = line.size();
    qsizetype p = 0;
    // The last character alone (normally the LF) starts nothing.
    while (p < size - 1) {
        const int phase = !state.InList ? 0 : !state.InItem ? 1 : !state.InBanner ? 2 : 3;
        if (p != seenAt) {
            seenAt = p;
            seenHere = 0;
        }
        if (seenHere & (1u << phase))
            return;
        seenHere |= 1u << phase;

        switch (phase) {
        case 0: { // outside the list
            const qsizetype f = listStart.from(p);
            if (f < 0)
                return;
            state.InList = true;
            state.SawList = true;
            p = f + slot.ListStart.size();
            break;
        }
        case 1: { // in the list, between entries; an entry start wins over the list end
            const qsizetype f = itemStart.from(p);
            if (f >= 0) {
                state.InItem = true;
                state.ItemTooLong = false;
                state.ItemText.clear();
                p = f; // the marker belongs to the entry
                break;
            }
            const qsizetype g = listEnd.from(p);
            if (g < 0)
                return;
            state.InList = false;
            p = g + slot.ListEnd.size();
            break;
        }
        case 2: { // in an entry
            // An empty ItemEnd could never end an entry without going round
            // for ever: the entry collects the page and is dropped with it.
            qsizetype e = -1;
            // A banner counts when it starts before the entry's end, so it
            // never joins two entries. With both markers, one search finds
            // whichever comes first.
            if (!slot.BannerStart.isEmpty() && !slot.ItemEnd.isEmpty()) {
                bool banner = false;
                const qsizetype f = findEarlier(line, slot.ItemEnd, slot.BannerStart, p, banner);
                if (banner) {
                    appendToItem(state, line.sliced(p, f - p));
                    state.InBanner = true;
                    p = f;
                    break;
                }
                e = f;
            } else if (!slot.ItemEnd.isEmpty()) {
                e = itemEnd.from(p);
            } else if (!slot.BannerStart.isEmpty()) {
                const qsizetype f = bannerStart.from(p);
                if (f >= 0) {
                    appendToItem(state, line.sliced(p, f - p));
                    state.InBanner = true;
                    p = f;
                    break;
                }
            }
            if (e < 0) {
                appendToItem(state, line.sliced(p));
                return;
            }
            const qsizetype e2 = e + slot.ItemEnd.size();
            if (state.ItemText.isEmpty() && !state.ItemTooLong && e2 - p <= MaxItemTextLength) {
                // The whole entry lies in this line: its row is made from
                // the line, without collecting it first.
                rows.append(reader.entryRow(slot, state, line.sliced(p, e2 - p), nullptr));
            } else {
                appendToItem(state, line.sliced(p, e2 - p));
                if (!state.ItemTooLong)
                    rows.append(ProcessItem(slot, state, state.ItemText));
            }
            state.ItemTooLong = false;
            state.InItem = false;
            p = e2;
            break;
        }
        default: { // in a banner: dropped with both markers
            const qsizetype f = slot.BannerEnd.isEmpty() ? -1 : bannerEnd.from(p);
            if (f < 0)
                return;
            state.InBanner = false;
            p = f + slot.BannerEnd.size();
            break;
        }
        }
    }
}

} // namespace sokuri
