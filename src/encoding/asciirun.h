#pragma once

#include <QChar>
#include <QtGlobal>

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sokuri {

// The bytes that one step of widenAsciiRun takes.
inline constexpr qsizetype AsciiRun = 16;

// Pages are mostly ASCII markup: where SSE2 is at hand, a run of ASCII bytes
// is widened sixteen at a time. Writes sixteen characters at out (room the
// callers have: their output holds one character a byte and the run lies
// within the line) and returns how many of them are ASCII, up to the first
// byte that is not, or that is also special (stop, 0 for none); from that
// byte on the caller goes on one byte at a time. Without SSE2 it widens
// nothing and returns 0.
inline qsizetype widenAsciiRun([[maybe_unused]] const uchar* bytes, [[maybe_unused]] QChar* out,
                               [[maybe_unused]] uchar stop = 0)
{
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    unsigned mask = unsigned(_mm_movemask_epi8(block));
    if (stop != 0)
        mask |= unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(char(stop)))));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(block, zero));
    return mask == 0 ? AsciiRun : std::countr_zero(mask);
#else
    return 0;
#endif
}

} // namespace sokuri
