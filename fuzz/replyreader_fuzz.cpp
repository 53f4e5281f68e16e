// The reply path of one connection slot: an engine's answer, arbitrary bytes
// arriving in arbitrary pieces, through the line assembly, the decoding by
// the plugin's character set and the result extraction, with the plugin's
// markers taken from the input as well.
//
// Input: a first line of tab-separated fields, the rest the reply bytes.
//   charset, ListStart, ListEnd, ItemStart, ItemEnd, RelevanceStart,
//   RelevanceEnd, BannerStart, BannerEND, BaseUrl (Shift_JIS, as in a plugin
//   file), the piece sizes of the arrivals (decimal numbers separated by
//   commas, used in turn, 0 counting as 1; none: one arrival), how many
//   times the reply comes one after the other (1 to 2048 in the long-line
//   build fuzz_replyreader_longline, for lines beyond the line limit; at
//   most MaxRepeat in the short-reply build fuzz_replyreader), TitleStart,
//   LinkParam, and "feed" for feed entries.
//
// The reply goes through the watch for redirects first, as a connection's
// does.

#include "retrieval/extraction.h"
#include "retrieval/replyhead.h"
#include "retrieval/replyreader.h"
#include "retrieval/textsearch.h"

#include "encoding/codepage932.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <algorithm>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::fuzz::Check;

namespace {

#if defined(SOKURI_FUZZ_LONG_LINES)
constexpr qsizetype MaxRepeat = 2048;
#else
// Short replies: every input runs in well under a millisecond.
constexpr qsizetype MaxRepeat = 4;
#endif

enum Field {
    Charset,
    ListStart,
    ListEnd,
    ItemStart,
    ItemEnd,
    RelevanceStart,
    RelevanceEnd,
    BannerStart,
    BannerEnd,
    BaseUrl,
    Pieces,
    Repeat,
    TitleStart,
    LinkParam,
    Format,
    FieldCount
};

struct Input
{
    PluginSlot slot;
    QList<qsizetype> pieces;
    QByteArray reply;
};

Input parse(QByteArrayView bytes)
{
    const qsizetype headerEnd = bytes.indexOf('\n');
    const QByteArrayView header = headerEnd < 0 ? bytes : bytes.first(headerEnd);
    QList<QByteArrayView> fields;
    for (qsizetype begin = 0; fields.size() < FieldCount;) {
        const qsizetype tab = header.indexOf('\t', begin);
        fields.append(header.sliced(begin, (tab < 0 ? header.size() : tab) - begin));
        if (tab < 0)
            break;
        begin = tab + 1;
    }
    fields.resize(FieldCount);
    const auto text = [&fields](Field f) {
        return cp932::decode(fields[f]);
    };

    Input input;
    PluginSlot& slot = input.slot;
    slot.Name = QStringLiteral("fuzz");
    slot.ResultCharset = text(Charset).toLower();
    slot.ListStart = text(ListStart);
    slot.ListEnd = text(ListEnd);
    slot.ItemStart = text(ItemStart);
    slot.ItemEnd = text(ItemEnd);
    slot.RelevanceStart = text(RelevanceStart);
    slot.RelevanceEnd = text(RelevanceEnd);
    slot.BannerStart = text(BannerStart);
    slot.BannerEnd = text(BannerEnd);
    slot.BaseUrl = text(BaseUrl);
    slot.TitleStart = text(TitleStart);
    slot.LinkParam = text(LinkParam);
    slot.Feed = fields[Format] == "feed";
    input.pieces = fuzz::PieceSizes(fields[Pieces]);
    const QByteArrayView reply = headerEnd < 0 ? QByteArrayView() : bytes.sliced(headerEnd + 1);
    input.reply = reply.toByteArray().repeated(std::clamp<qsizetype>(
        fields[Repeat].isEmpty() ? 1 : fuzz::Number(fields[Repeat], MaxRepeat), 1, MaxRepeat));
    return input;
}

void checkState(const SlotState& state)
{
    Check(state.CarryBytes.size() <= MaxReplyLineBytes, "a carried line stays within the limit");
    Check(state.ItemText.size() <= MaxItemTextLength, "an entry's text stays within the limit");
}

void checkRows(const PluginSlot& slot, const QList<ResultRow>& rows)
{
    for (const ResultRow& row : rows) {
        Check(row.plugin == slot.Name, "every row names its plugin");
        Check(row.relevance.isEmpty() || row.relevance.size() == 3,
              "a relevance figure is empty or three characters");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Input input = parse(fuzz::InputBytes(data, size));

    // The reply in the pieces the input names, through the watch for
    // redirects and then the line reader.
    PluginSlot slot = input.slot;
    SlotState state;
    QList<ResultRow> rows;
    ReplyHead head;
    QByteArray held;
    fuzz::InPieces(input.reply, input.pieces, [&](QByteArrayView piece) {
        if (head.verdict() == ReplyHead::Undecided) {
            if (head.take(piece) == ReplyHead::Undecided)
                return;
            held = head.takeHeld();
            Check(input.reply.startsWith(held), "the held head is the start of the reply");
            if (head.verdict() == ReplyHead::Redirect)
                Check(!head.location().isEmpty(), "a redirect names where it leads");
            piece = held;
        }
        if (head.verdict() == ReplyHead::Lines)
            ReadReplyBytes(slot, state, piece, rows);
        checkState(state);
    });
    ReplyHead whole;
    whole.take(input.reply);
    Check(whole.verdict() == head.verdict() && whole.location() == head.location(),
          "the verdict on the head does not depend on how the reply arrives");
    if (head.verdict() != ReplyHead::Lines) {
        rows.clear();
        slot = input.slot;
        state = SlotState();
        ReadReplyBytes(slot, state, input.reply, rows);
    }
    checkRows(slot, rows);

    // Where the arrivals break the reply makes no difference.
    PluginSlot wholeSlot = input.slot;
    SlotState wholeState;
    QList<ResultRow> wholeRows;
    ReadReplyBytes(wholeSlot, wholeState, input.reply, wholeRows);
    Check(rows == wholeRows, "the rows do not depend on how the reply arrives");
    Check(slot.BaseUrl == wholeSlot.BaseUrl, "the base address does not depend on the arrivals");

    // The whole reply, decoded as one line, taken as one entry.
    const QByteArrayView line =
        QByteArrayView(input.reply).first(std::min<qsizetype>(input.reply.size(), 1 << 16));
    QString entry = DecodeReplyLine(input.slot.ResultCharset, line);
    // Into a buffer that held another line, the same text; where its ASCII
    // is said to be the line's bytes, a base address in the text is one in
    // the bytes.
    QString buffer = u"<base href=\"http://stale.example/\">"_s;
    const bool asciiAsBytes = DecodeReplyLine(input.slot.ResultCharset, line, buffer);
    Check(buffer == entry, "a line decodes the same into a used buffer");
    if (asciiAsBytes && findNoCase(entry, "base href="_L1, 0) >= 0)
        Check(QByteArray(line.data(), line.size()).toLower().contains("base href="),
              "a base address in the text is one in the bytes");
    const ResultRow row = ProcessItem(input.slot, state, entry);
    Check(row.html == entry, "an entry's row holds its rewritten text");
    checkRows(input.slot, {row});
    return 0;
}
