#include "retrieval/replyreader.h"

#include "encoding/charconv.h"
#include "encoding/codepage932.h"
#include "encoding/utf8text.h"
#include "retrieval/extraction.h"

#include <algorithm>
#include <bit>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sokuri {

namespace {

enum class LineCharset { Jis, Euc, Sjis, Utf8, None };

LineCharset lineCharsetOf(QStringView charset)
{
    if (charset == u"iso-2022-jp")
        return LineCharset::Jis;
    if (charset == u"x-euc-jp" || charset == u"euc-jp")
        return LineCharset::Euc;
    if (charset == u"x-sjis" || charset == u"shift_jis")
        return LineCharset::Sjis;
    if (charset == u"utf-8")
        return LineCharset::Utf8;
    return LineCharset::None;
}

} // namespace

QString DecodeReplyLine(QStringView charset, QByteArrayView line)
{
    QString text;
    DecodeReplyLine(charset, line, text);
    return text;
}

namespace {

// Decodes line into room, which keeps its size from line to line (it only
// grows, to the longest line's), and returns the length of the text at its
// start; asciiAsBytes as DecodeReplyLine returns it.
qsizetype decodeIntoRoom(QStringView charset, QByteArrayView line, QString& room,
                         bool& asciiAsBytes)
{
    asciiAsBytes = false;
    const LineCharset kind = lineCharsetOf(charset);
    if (kind == LineCharset::None)
        return 0;
    if (room.size() < line.size())
        room.resize(line.size());
    QChar* out = room.data();
    const std::string_view bytes(line.data(), size_t(line.size()));
    qsizetype length = 0;
    switch (kind) {
    case LineCharset::Jis:
        // Escapes of ISO-2022-JP vanish between the characters around them.
        return DecodeJisInto(line, out);
    case LineCharset::Euc:
        length = DecodeEucInto(line, out);
        break;
    case LineCharset::Sjis:
        length = cp932::decodeInto(line, out);
        if (length < 0) {
            room = cp932::decodeWithConverter(line);
            return room.size();
        }
        break;
    case LineCharset::Utf8:
        length = Utf8TextInto(bytes, out);
        if (length < 0) {
            room = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
            return room.size();
        }
        break;
    case LineCharset::None:
        break;
    }
    asciiAsBytes = true;
    return length;
}

} // namespace

bool DecodeReplyLine(QStringView charset, QByteArrayView line, QString& text)
{
    bool asciiAsBytes = false;
    text.truncate(decodeIntoRoom(charset, line, text, asciiAsBytes));
    return asciiAsBytes;
}

namespace {

// Whether bytes hold "base href=", its letters in any case: where they do
// not, a line decoded with its ASCII as bytes holds no base address.
bool holdsBaseAddress(QByteArrayView bytes)
{
    static constexpr char word[] = "base href=";
    constexpr qsizetype length = sizeof word - 1;
    const auto* b = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype last = bytes.size() - length;
    const auto matchesAt = [b](qsizetype i) {
        for (qsizetype j = 0; j < length; ++j) {
            if ((word[j] >= 'a' ? b[i + j] | 0x20 : b[i + j]) != uchar(word[j]))
                return false;
        }
        return true;
    };
    qsizetype i = 0;
#if defined(__SSE2__)
    // Sixteen starts a step: a "b" (or "B") here and an "=" at the end.
    const __m128i fold = _mm_set1_epi8(0x20);
    const __m128i first = _mm_set1_epi8('b');
    const __m128i final = _mm_set1_epi8('=');
    const auto sixteenStarts = [&](qsizetype at, unsigned keep) {
        const __m128i heads =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at)), fold);
        const __m128i tails =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at + length - 1));
        for (unsigned mask =
                 keep & unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(heads, first),
                                                                 _mm_cmpeq_epi8(tails, final))));
             mask != 0; mask &= mask - 1) {
            if (matchesAt(at + std::countr_zero(mask)))
                return true;
        }
        return false;
    };
    if (last >= 15) {
        for (; i + 15 <= last; i += 16) {
            if (sixteenStarts(i, 0xFFFF))
                return true;
        }
        // The last sixteen starts, those already looked at masked off.
        return i <= last && sixteenStarts(last - 15, 0xFFFFu & (~0u << (i - (last - 15))));
    }
#endif
    for (; i <= last; ++i) {
        if (matchesAt(i))
            return true;
    }
    return false;
}

// Decodes one complete line, its bytes with CR LF at the end, and reads it.
void readLine(PluginSlot& slot, SlotState& state, QByteArrayView line, QList<ResultRow>& rows)
{
    bool asciiAsBytes = false;
    const qsizetype length = decodeIntoRoom(slot.ResultCharset, line, state.LineText, asciiAsBytes);
    if (length > 0)
        ProcessLine(slot, state, QStringView(state.LineText).first(length), rows,
                    !asciiAsBytes || holdsBaseAddress(line));
}

// The carried line is complete: it gains CR LF and is read.
void handleLine(PluginSlot& slot, SlotState& state, QByteArray& line, QList<ResultRow>& rows)
{
    line.append("\r\n", 2);
    readLine(slot, state, line, rows);
    // Emptied, not released: the next line reuses the buffer.
    line.resize(0);
}

// The first CR or LF of bytes from `from` on, or bytes.size(); sixteen bytes
// a step where SSE2 is at hand.
qsizetype findLineEnd(QByteArrayView bytes, qsizetype from)
{
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype i = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; i + 16 <= size; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr))));
        if (mask != 0)
            return i + std::countr_zero(mask);
    }
#endif
    for (; i < size; ++i) {
        if (data[i] == '\n' || data[i] == '\r')
            return i;
    }
    return size;
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
    for (qsizetype i = findLineEnd(bytes, 0); i < size; i = findLineEnd(bytes, start)) {
        if (line.isEmpty() && i > start && i - start <= MaxReplyLineBytes && i + 1 < size &&
            bytes[i] == '\r' && bytes[i + 1] == '\n') {
            // A whole line of this arrival that ends in CR LF is read where
            // it lies.
            readLine(slot, state, bytes.sliced(start, i + 2 - start), rows);
            start = i + 2;
            continue;
        }
        appendBounded(line, bytes.sliced(start, i - start));
        start = i + 1;
        if (!line.isEmpty())
            handleLine(slot, state, line, rows);
    }
    appendBounded(line, bytes.sliced(start));
}

void FinishReplyBytes(PluginSlot& slot, SlotState& state, QList<ResultRow>& rows)
{
    if (!state.CarryBytes.isEmpty())
        handleLine(slot, state, state.CarryBytes, rows);
}

} // namespace sokuri
