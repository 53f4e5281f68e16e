#pragma once

#include <QByteArray>
#include <QString>

namespace sokuri {

// The receive and extraction state of one connection slot. Cleared at the end
// of every connection and before each new request on the slot.
struct SlotState
{
    // Bytes of the current, unfinished reply line.
    QByteArray CarryBytes;
    // Room for the text of the line being read, kept from line to line: the
    // text is at its start, and its size that of the longest line yet.
    QString LineText;
    // Marker state of the result extraction.
    bool InList = false;
    bool InItem = false;
    bool InBanner = false;
    // The list start marker has been seen in this answer.
    bool SawList = false;
    QString ItemText;
    // The entry being collected outgrew the bound of its text: it is consumed
    // up to its end marker and then dropped.
    bool ItemTooLong = false;
    // Relevance factor of this connection; 0 while not yet set.
    float RelevanceScale = 0.0f;

    void clear() { *this = SlotState(); }
};

} // namespace sokuri
