#include "retrieval/replyreader.h"

#include "encoding/charconv.h"
#include "encoding/codepage932.h"
#include "retrieval/extraction.h"

namespace sokuri {

QString DecodeReplyLine(QStringView charset, QByteArrayView line)
{
    if (charset == u"iso-2022-jp")
        return DecodeJis(line);
    if (charset == u"x-euc-jp" || charset == u"euc-jp")
        return DecodeEuc(line);
    if (charset == u"x-sjis" || charset == u"shift_jis")
        return cp932::decode(line);
    if (charset == u"utf-8")
        return QString::fromUtf8(line);
    return {};
}

namespace {

void handleLine(PluginSlot& slot, SlotState& state, QByteArray& line, QList<ResultRow>& rows)
{
    line.append("\r\n", 2);
    const QString text = DecodeReplyLine(slot.ResultCharset, line);
    line.clear();
    if (!text.isEmpty())
        ProcessLine(slot, state, text, rows);
}

void appendBounded(QByteArray& line, QByteArrayView bytes)
{
    const qsizetype room = MaxReplyLineBytes - line.size();
    if (room > 0)
        line.append(bytes.first(std::min(room, bytes.size())));
}

} // namespace

void ReadReplyBytes(PluginSlot& slot, SlotState& state, QByteArrayView bytes,
                    QList<ResultRow>& rows)
{
    QByteArray& line = state.CarryBytes;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r')
            continue;
        appendBounded(line, bytes.sliced(start, i - start));
        start = i + 1;
        if (!line.isEmpty())
            handleLine(slot, state, line, rows);
    }
    appendBounded(line, bytes.sliced(start));
}

} // namespace sokuri
