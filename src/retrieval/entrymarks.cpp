#include "retrieval/entrymarks.h"

#include "retrieval/textsearch.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sokuri {

namespace {

void mark(quint64* bits, qsizetype at)
{
    bits[at >> 6] |= quint64(1) << (at & 63);
}

} // namespace

EntryMarks::EntryMarks(QStringView text)
    : m_words((text.size() + 63) / 64)
    , m_stride(m_words + 1)
    , m_bits(Kinds * m_stride)
{
    // Zeroed at once: QVarLengthArray's filling constructor stores its size
    // back after every word.
    std::fill(m_bits.begin(), m_bits.end(), quint64(0));
    quint64* const anchorStarts = bitsOf(AnchorStarts);
    quint64* const anchorEnds = bitsOf(AnchorEnds);
    quint64* const sources = bitsOf(Sources);
    quint64* const https = bitsOf(Https);
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    // Sixteen positions a step, the text narrowed to bytes: characters from
    // U+0100 on saturate to 0x00 or 0xFF, which are none of the characters
    // looked for, with the letter-case bit set or not.
    const auto narrowed = [chars](qsizetype at) {
        return narrowedLanes(chars + at);
    };
    const auto is = [](__m128i bytes, char c) {
        return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c));
    };
    const __m128i fold = _mm_set1_epi8(0x20);
    // The marks of the sixteen positions from `at` on, masked by keep.
    const auto markSixteen = [&](qsizetype at, unsigned keep) {
        const __m128i c0 = narrowed(at);
        const __m128i c1 = narrowed(at + 1);
        const __m128i c2 = narrowed(at + 2);
        const __m128i c3 = narrowed(at + 3);
        const __m128i f0 = _mm_or_si128(c0, fold);
        const __m128i f1 = _mm_or_si128(c1, fold);
        const __m128i f2 = _mm_or_si128(c2, fold);
        const __m128i lt = is(c0, '<');
        // Sixteen positions may span two words; the second gets what the
        // first cannot hold (nothing while the shift is 48 or less). No
        // branch: whether a mark is found is as good as random.
        const qsizetype word = at >> 6;
        const int shift = int(at & 63);
        const auto add = [word, shift, keep](quint64* bits, __m128i a, __m128i b) {
            const quint64 found = unsigned(_mm_movemask_epi8(_mm_and_si128(a, b))) & keep;
            bits[word] |= found << shift;
            bits[word + 1] |= found >> 1 >> (63 - shift);
        };
        add(anchorStarts, lt, is(f1, 'a'));
        add(anchorEnds, _mm_and_si128(lt, is(c1, '/')), _mm_and_si128(is(f2, 'a'), is(c3, '>')));
        add(sources, _mm_and_si128(is(f0, 's'), is(f1, 'r')),
            _mm_and_si128(is(f2, 'c'), is(c3, '=')));
        add(https, _mm_and_si128(is(c0, 'h'), is(c1, 't')),
            _mm_and_si128(is(c2, 't'), is(c3, 'p')));
    };
    // The positions up to the fourth last, where every word fits: sixteen a
    // step, then the last sixteen of them, those already marked masked off.
    const qsizetype lastFull = size - 4;
    if (lastFull + 1 >= 2 * Lanes) {
        for (; i + 2 * Lanes - 1 <= lastFull; i += 2 * Lanes)
            markSixteen(i, 0xFFFF);
        if (i <= lastFull) {
            const qsizetype at = lastFull - (2 * Lanes - 1);
            markSixteen(at, 0xFFFFu & (~0u << (i - at)));
            i = lastFull + 1;
        }
    }
#endif
    // The rest one position at a time; a word is only marked where it fits.
    const auto at = [chars](qsizetype p, char16_t folds) {
        return char16_t(chars[p] | folds);
    };
    for (; i + 1 < size; ++i) {
        if (chars[i] == u'<' && at(i + 1, 0x20) == u'a')
            mark(anchorStarts, i);
        if (i + 3 >= size)
            continue;
        if (chars[i] == u'<' && chars[i + 1] == u'/' && at(i + 2, 0x20) == u'a' &&
            chars[i + 3] == u'>')
            mark(anchorEnds, i);
        if (at(i, 0x20) == u's' && at(i + 1, 0x20) == u'r' && at(i + 2, 0x20) == u'c' &&
            chars[i + 3] == u'=')
            mark(sources, i);
        if (chars[i] == u'h' && chars[i + 1] == u't' && chars[i + 2] == u't' &&
            chars[i + 3] == u'p')
            mark(https, i);
    }
}

} // namespace sokuri
