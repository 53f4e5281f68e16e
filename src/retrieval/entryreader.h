#pragma once

#include "retrieval/resultrow.h"
#include "retrieval/slotstate.h"
#include "searchplugins/pluginslot.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace sokuri {

// Turns what a search engine answers in one format into result rows. The
// marker state machine (ProcessLine) cuts the entries out of the reply lines
// and hands each finished entry to the reader of the plugin's format
// (EntryReaderFor). A format whose answer is one document rather than
// entries between markers reads the whole body at the close of the reply
// instead (readsWholeBody, readBody).
class EntryReader
{
public:
    virtual ~EntryReader() = default;

    // The row of one finished entry; whole is the entry as a string when the
    // caller holds it as one, so that an unchanged entry can be shared as the
    // row's html. The row's relevance comes from the relevance markers.
    virtual ResultRow entryRow(const PluginSlot& slot, SlotState& state, QStringView entry,
                               const QString* whole) const = 0;

    // Whether the reader takes the whole body of the answer at its close
    // rather than the entries that the markers cut out of its lines.
    virtual bool readsWholeBody() const { return false; }

    // Appends the rows of a whole answer body (the bytes after the headers)
    // to rows. False, with the reason, when the body cannot be read. A reader
    // of entries reads no whole bodies: no rows.
    virtual bool readBody(const PluginSlot& slot, SlotState& state, QByteArrayView body,
                          QList<ResultRow>& rows, QString& reason) const;
};

// The reader of the plugin's answer format ("[result] format"): RSS and Atom
// entries for "feed", else HTML entries as the written rules read them.
const EntryReader& EntryReaderFor(const PluginSlot& slot);

} // namespace sokuri
