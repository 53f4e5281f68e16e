#pragma once

#include <QChar>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sokuri {

// Copies the n characters at from to `to`, which does not overlap them, and
// returns the end of the copy. An entry is put together from many short
// stretches (a host's labels, the text between two links, a base address),
// where a call of memmove costs more than the copy: up to 32 characters are
// moved here in blocks, the last of which ends at the end and overlaps the
// one before.
inline QChar* copyChars(const QChar* from, qsizetype n, QChar* to)
{
    // Two blocks of T, one at the start and one ending at the end.
    const auto twoBlocks = [from, n, to]<typename T>(T) {
        constexpr qsizetype chars = sizeof(T) / sizeof(QChar);
        T first;
        T last;
        std::memcpy(&first, from, sizeof first);
        std::memcpy(&last, from + n - chars, sizeof last);
        std::memcpy(static_cast<void*>(to), &first, sizeof first);
        std::memcpy(static_cast<void*>(to + n - chars), &last, sizeof last);
    };
    if (n <= 0)
        return to;
    if (n == 1) {
        *to = *from;
    } else if (n < 4) {
        twoBlocks(std::uint32_t());
    } else if (n < 8) {
        twoBlocks(std::uint64_t());
    } else {
#if defined(__SSE2__)
        if (n <= 32) {
            const auto eight = [from, to](qsizetype at) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + at),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + at)));
            };
            for (qsizetype at = 0; at + 8 < n; at += 8)
                eight(at);
            eight(n - 8);
            return to + n;
        }
#endif
        return std::copy(from, from + n, to);
    }
    return to + n;
}

} // namespace sokuri
