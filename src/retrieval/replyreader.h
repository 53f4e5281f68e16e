#pragma once

#include "retrieval/resultrow.h"
#include "retrieval/slotstate.h"
#include "searchplugins/pluginslot.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace sokuri {

// The longest reply line kept (4 MiB: engines put whole result lists on one
// line); the rest of a longer line is dropped up to its line end, so a reply
// without line ends costs bounded memory.
constexpr qsizetype MaxReplyLineBytes = qsizetype(4) << 20;

// Decodes one reply line (its bytes with CR LF at the end) by the plugin's
// result character set: "iso-2022-jp", "x-euc-jp" or "euc-jp", "x-sjis" or
// "shift_jis" (the whole line as code page 932), "utf-8". Any other value
// gives the empty text, so such a plugin yields no results.
QString DecodeReplyLine(QStringView charset, QByteArrayView line);

// The same into text, whose buffer is reused from line to line. True when
// every ASCII letter, space and "=" of the text is a byte of the line of the
// same value, with the bytes of two such characters side by side next to
// each other: EUC-JP, and Shift_JIS and UTF-8 decoded by their tables
// (nothing in them was ill-formed); never ISO-2022-JP, whose escapes vanish.
bool DecodeReplyLine(QStringView charset, QByteArrayView line, QString& text);

// Takes the bytes of one arrival of a reply: cuts them into lines at CR, LF
// or CR LF (empty lines dropped), carrying an unfinished line over in
// state.CarryBytes to the next arrival, decodes every complete line and hands
// it to the result extraction, which appends the finished entries to rows.
void ReadReplyBytes(PluginSlot& slot, SlotState& state, QByteArrayView bytes,
                    QList<ResultRow>& rows);

// The server has closed the connection: a last line that it did not end
// with CR or LF is read like any other line. (Stop and the reset before a
// new request clear the state instead, so there it is dropped.)
void FinishReplyBytes(PluginSlot& slot, SlotState& state, QList<ResultRow>& rows);

} // namespace sokuri
