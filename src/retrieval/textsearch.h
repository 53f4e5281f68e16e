#pragma once

#include <QChar>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <algorithm>
#include <bit>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The text searches of the result extraction, over UTF-16 text: markers
// compared exactly, tag and attribute words compared without regard to the
// case of ASCII letters. They are defined here, inline, because every entry
// calls them many times over short stretches of markup.

namespace sokuri {

// The searches below look at eight UTF-16 characters a step where SSE2 is at
// hand (every x86-64 processor), and one at a time otherwise. They are
// inline loops rather than calls into Qt's searches: in markup the
// characters searched for recur every few characters, where the cost of a
// call outweighs what a vectorised search saves.
#if defined(__SSE2__)
inline constexpr qsizetype Lanes = 8;

inline __m128i loadLanes(const char16_t* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One bit pair a lane: where block, with the bits of fold set, equals wanted.
inline unsigned lanesEqual(__m128i block, __m128i fold, __m128i wanted)
{
    return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_or_si128(block, fold), wanted)));
}
#endif

#if defined(__SSE2__)
// The sixteen characters from chars on, narrowed to bytes: characters from
// U+0100 on saturate to 0x00 or 0xFF, which match no byte of a word whose
// characters (or those of it that are tested) lie from U+0001 to U+00FE.
inline __m128i narrowedLanes(const char16_t* chars)
{
    return _mm_packus_epi16(loadLanes(chars), loadLanes(chars + Lanes));
}

// The byte in all sixteen lanes, built from a register: the compiler's way
// for a narrower variable stores it and loads it wider, which stalls.
inline __m128i byteInAllLanes(unsigned byte)
{
    return _mm_shuffle_epi32(_mm_cvtsi32_si128(int((byte & 0xFF) * 0x01010101u)), 0);
}

// One bit a lane for sixteen lanes: the lanes of two blocks of eight where
// each of them is set (all ones) in both of its masks.
inline unsigned sixteenLanes(__m128i low, __m128i high)
{
    return unsigned(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
}
#endif

// The first c in text from `from` on, or -1.
inline qsizetype findChar(QStringView text, QChar c, qsizetype from)
{
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    const char16_t wanted = c.unicode();
    qsizetype i = std::max<qsizetype>(from, 0);
#if defined(__SSE2__)
    if (size - i >= Lanes) {
        const __m128i all = _mm_set1_epi16(short(wanted));
        for (; i + 2 * Lanes <= size; i += 2 * Lanes) {
            const unsigned mask = sixteenLanes(_mm_cmpeq_epi16(loadLanes(chars + i), all),
                                               _mm_cmpeq_epi16(loadLanes(chars + i + Lanes), all));
            if (mask != 0)
                return i + std::countr_zero(mask);
        }
        if (i + Lanes <= size) {
            const unsigned mask = lanesEqual(loadLanes(chars + i), _mm_setzero_si128(), all);
            if (mask != 0)
                return i + std::countr_zero(mask) / 2;
            i += Lanes;
        }
        if (i == size)
            return -1;
        // The last eight characters, of which those already looked at are
        // masked off.
        const qsizetype at = size - Lanes;
        const unsigned mask =
            lanesEqual(loadLanes(chars + at), _mm_setzero_si128(), all) & (~0u << 2 * (i - at));
        return mask != 0 ? at + std::countr_zero(mask) / 2 : -1;
    }
#endif
    for (; i < size; ++i) {
        if (chars[i] == wanted)
            return i;
    }
    return -1;
}

// The last c in text, or -1. Entries end in markup, so the scan is short.
inline qsizetype findLastChar(QStringView text, char16_t c)
{
    const char16_t* chars = text.utf16();
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (chars[i] == c)
            return i;
    }
    return -1;
}

// The first position from `from` on where text holds pattern, or -1: a
// character c of text matches the pattern character p when (c | fold) == p,
// where fold is 0x20 for the ASCII letters of a case-blind search and 0
// otherwise. Candidates are the positions whose first and last characters
// match (one vectorised test for eight positions); the rest is compared only
// there.
inline qsizetype findPattern(QStringView text, const char16_t* pattern, const char16_t* folds,
                             qsizetype length, qsizetype from)
{
    if (length == 0)
        return std::max<qsizetype>(from, 0);
    const char16_t* chars = text.utf16();
    const qsizetype last = text.size() - length; // the last possible start
    // Whether the characters between the first and the last match at i.
    const auto matchesAt = [&](qsizetype i) {
        qsizetype j = 1;
#if defined(__SSE2__)
        // Eight a step where there are as many (markers such as
        // "<span class=\"score\">" are long); the last step ends at the last
        // of them, overlapping the one before.
        if (length - 2 >= Lanes) {
            const auto differs = [&](qsizetype at) {
                const __m128i block =
                    _mm_or_si128(loadLanes(chars + i + at), loadLanes(folds + at));
                return _mm_movemask_epi8(_mm_cmpeq_epi16(block, loadLanes(pattern + at))) != 0xFFFF;
            };
            for (; j + Lanes <= length - 1; j += Lanes) {
                if (differs(j))
                    return false;
            }
            return j == length - 1 || !differs(length - 1 - Lanes);
        }
#endif
        for (; j + 1 < length; ++j) {
            if (char16_t(chars[i + j] | folds[j]) != pattern[j])
                return false;
        }
        return true;
    };
    const char16_t first = pattern[0];
    const char16_t final = pattern[length - 1];
    const char16_t firstFold = folds[0];
    const char16_t finalFold = folds[length - 1];
    qsizetype i = std::max<qsizetype>(from, 0);
    if (i > last)
        return -1;
#if defined(__SSE2__)
    // The first start of a mask of one bit a start from `at` on that matches
    // in full, or -1.
    const auto firstMatch = [&](qsizetype at, unsigned mask) -> qsizetype {
        for (; mask != 0; mask &= mask - 1) {
            const qsizetype start = at + std::countr_zero(mask);
            if (matchesAt(start))
                return start;
        }
        return -1;
    };
    // Where the first and the last character of the pattern are below
    // U+00FF, the text is narrowed to bytes first (wider characters
    // saturate to 0x00 or 0xFF, which match neither), so one test takes
    // sixteen starts.
    if (first >= 1 && first <= 0xFE && final >= 1 && final <= 0xFE && last - i + 1 >= 2 * Lanes) {
        const __m128i firstBytes = byteInAllLanes(first);
        const __m128i finalBytes = byteInAllLanes(final);
        const __m128i firstFoldBytes = byteInAllLanes(firstFold);
        const __m128i finalFoldBytes = byteInAllLanes(finalFold);
        const auto narrowed = [chars](qsizetype at) {
            return narrowedLanes(chars + at);
        };
        // One bit a start for the sixteen starts at `at`.
        const auto sixteenStarts = [&](qsizetype at) {
            const __m128i head = _mm_or_si128(narrowed(at), firstFoldBytes);
            const __m128i tail = _mm_or_si128(narrowed(at + length - 1), finalFoldBytes);
            return unsigned(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(head, firstBytes), _mm_cmpeq_epi8(tail, finalBytes))));
        };
        for (; i + 4 * Lanes - 1 <= last; i += 4 * Lanes) {
            const qsizetype found =
                firstMatch(i, sixteenStarts(i) | sixteenStarts(i + 2 * Lanes) << 16);
            if (found >= 0)
                return found;
        }
        for (; i + 2 * Lanes - 1 <= last; i += 2 * Lanes) {
            const qsizetype found = firstMatch(i, sixteenStarts(i));
            if (found >= 0)
                return found;
        }
        if (i > last)
            return -1;
        // The last sixteen starts, of which those already tested are masked
        // off.
        const qsizetype at = last - (2 * Lanes - 1);
        return firstMatch(at, sixteenStarts(at) & (~0u << (i - at)));
    }
    if (last - i + 1 >= Lanes) {
        const __m128i firstAll = _mm_set1_epi16(short(first));
        const __m128i finalAll = _mm_set1_epi16(short(final));
        const __m128i firstFoldAll = _mm_set1_epi16(short(firstFold));
        const __m128i finalFoldAll = _mm_set1_epi16(short(finalFold));
        // The lanes of the eight starts at `at` whose first and last
        // characters match, as all ones.
        const auto candidates = [&](qsizetype at) {
            return _mm_and_si128(
                _mm_cmpeq_epi16(_mm_or_si128(loadLanes(chars + at), firstFoldAll), firstAll),
                _mm_cmpeq_epi16(_mm_or_si128(loadLanes(chars + at + length - 1), finalFoldAll),
                                finalAll));
        };
        // The one bit a start of eight starts.
        const auto eightStarts = [&](qsizetype at) {
            return sixteenLanes(candidates(at), _mm_setzero_si128());
        };
        if (last - i + 1 >= 2 * Lanes) {
            // Sixteen starts a step, while the last of them is a possible
            // start; then the last sixteen starts, of which those already
            // tested are masked off.
            for (; i + 2 * Lanes - 1 <= last; i += 2 * Lanes) {
                const qsizetype found =
                    firstMatch(i, sixteenLanes(candidates(i), candidates(i + Lanes)));
                if (found >= 0)
                    return found;
            }
            if (i > last)
                return -1;
            const qsizetype at = last - (2 * Lanes - 1);
            return firstMatch(at, sixteenLanes(candidates(at), candidates(at + Lanes)) &
                                      (~0u << (i - at)));
        }
        // From eight to fifteen starts: the first eight, then the last eight.
        const qsizetype found = firstMatch(i, eightStarts(i));
        if (found >= 0)
            return found;
        const qsizetype at = last - (Lanes - 1);
        return firstMatch(at, eightStarts(at) & (~0u << (i + Lanes - at)));
    }
#endif
    for (; i <= last; ++i) {
        if (char16_t(chars[i] | firstFold) == first &&
            char16_t(chars[i + length - 1] | finalFold) == final && matchesAt(i))
            return i;
    }
    return -1;
}

// A lower-case ASCII word of up to sixteen letters, prepared once for
// findNoCase: its characters and the case bit of each letter.
struct NoCaseWord
{
    static constexpr qsizetype Most = 16;
    char16_t pattern[Most] = {};
    char16_t folds[Most] = {};
    qsizetype length = 0;

    constexpr explicit NoCaseWord(QLatin1StringView word)
        : length(std::min(word.size(), Most))
    {
        for (qsizetype j = 0; j < length; ++j) {
            pattern[j] = char16_t(uchar(word.data()[j]));
            folds[j] = pattern[j] >= u'a' && pattern[j] <= u'z' ? 0x20 : 0;
        }
    }
};

// Finds the lower-case ASCII word in text from `from` on, ASCII letters
// compared without regard to case. This gives the positions that a search in
// a copy of text lower-cased letter by letter would give, without making the
// copy; every word searched this way is ASCII and short.
inline qsizetype findNoCase(QStringView text, const NoCaseWord& word, qsizetype from)
{
    if (word.length > 0 && std::max<qsizetype>(from, 0) > text.size() - word.length)
        return -1;
    return findPattern(text, word.pattern, word.folds, word.length, from);
}

inline qsizetype findNoCase(QStringView text, QLatin1StringView word, qsizetype from)
{
    Q_ASSERT(word.size() <= NoCaseWord::Most);
    return findNoCase(text, NoCaseWord(word), from);
}

inline constexpr qsizetype IniValueCharacters = 1023;

// Finds marker in text from `from` on, compared exactly; an empty marker is
// found at `from`.
inline qsizetype findExact(QStringView text, QStringView marker, qsizetype from)
{
    const qsizetype length = marker.size();
    if (length == 0)
        return from;
    if (length == 1)
        return findChar(text, marker.front(), from);
    // No room left for the marker (the line's end after an entry, most
    // often): told here, without the call.
    if (std::max<qsizetype>(from, 0) > text.size() - length)
        return -1;
    // Markers are plugin values of at most 1023 bytes, so no longer in
    // characters; longer ones come only from callers other than a plugin.
    static constexpr char16_t noFolds[IniValueCharacters] = {};
    if (length <= IniValueCharacters)
        return findPattern(text, marker.utf16(), noFolds, length, from);
    const QVarLengthArray<char16_t, 1> folds(length, 0);
    return findPattern(text, marker.utf16(), folds.data(), length, from);
}

// The first position from `from` on where text holds one of two markers,
// both compared exactly and neither empty, or -1; isSecond tells whether it
// is the second marker that stands there (and not the first). Where the ends
// of both markers are below U+00FF the text is looked at once for both.
inline qsizetype findEarlier(QStringView text, QStringView first, QStringView second,
                             qsizetype from, bool& isSecond)
{
    isSecond = false;
    qsizetype i = std::max<qsizetype>(from, 0);
#if defined(__SSE2__)
    const auto narrows = [](QStringView marker) {
        const auto inByte = [](QChar c) {
            return c.unicode() >= 1 && c.unicode() <= 0xFE;
        };
        return marker.size() >= 2 && inByte(marker.front()) && inByte(marker.back());
    };
    const qsizetype size = text.size();
    const qsizetype longer = std::max(first.size(), second.size());
    const qsizetype shorter = std::min(first.size(), second.size());
    // Sixteen starts a step while the longer marker fits after all of them.
    const qsizetype lastStep = size - longer - 15;
    if (lastStep >= 0 && narrows(first) && narrows(second)) {
        const char16_t* chars = text.utf16();
        const auto narrowed = [chars](qsizetype at) {
            return narrowedLanes(chars + at);
        };
        const __m128i firstHead = byteInAllLanes(first.front().unicode());
        const __m128i firstTail = byteInAllLanes(first.back().unicode());
        const __m128i secondHead = byteInAllLanes(second.front().unicode());
        const __m128i secondTail = byteInAllLanes(second.back().unicode());
        // Where a marker may start among the sixteen starts at `at`.
        const auto candidates = [&](qsizetype at, QStringView marker, __m128i head, __m128i tail)
            __attribute__((always_inline))
        {
            return _mm_and_si128(_mm_cmpeq_epi8(narrowed(at), head),
                                 _mm_cmpeq_epi8(narrowed(at + marker.size() - 1), tail));
        };
        // Whether marker stands at start (markers are short: no call for
        // this).
        const auto standsAt = [chars](qsizetype start, QStringView marker) {
            const char16_t* m = marker.utf16();
            for (qsizetype j = 0; j < marker.size(); ++j) {
                if (chars[start + j] != m[j])
                    return false;
            }
            return true;
        };
        // The first of the sixteen starts at `at` in keep (one bit a start)
        // where either marker stands, or -1; with shorterOnly, only the
        // shorter marker is looked for (the longer one would not fit).
        const auto step = [&](qsizetype at, unsigned keep, bool shorterOnly)
            __attribute__((always_inline))
        {
            const bool withFirst = !shorterOnly || first.size() == shorter;
            const bool withSecond = !shorterOnly || (!withFirst && second.size() == shorter);
            __m128i both = _mm_setzero_si128();
            if (withFirst)
                both = candidates(at, first, firstHead, firstTail);
            if (withSecond)
                both = _mm_or_si128(both, candidates(at, second, secondHead, secondTail));
            for (unsigned mask = unsigned(_mm_movemask_epi8(both)) & keep; mask != 0;
                 mask &= mask - 1) {
                const qsizetype start = at + std::countr_zero(mask);
                if (withFirst && standsAt(start, first))
                    return start;
                if (withSecond && standsAt(start, second)) {
                    isSecond = true;
                    return start;
                }
            }
            return qsizetype(-1);
        };
        for (; i <= lastStep; i += 2 * Lanes) {
            if (const qsizetype found = step(i, 0xFFFF, false); found >= 0)
                return found;
        }
        // The starts left, where the shorter marker may still fit: the last
        // sixteen starts of the longer one, then those of the shorter one,
        // each without the starts already looked at.
        if (longer - shorter <= 2 * Lanes) {
            const auto startsFrom = [](qsizetype at, qsizetype start) {
                const qsizetype skipped = start - at;
                return skipped <= 0 ? 0xFFFFu : skipped >= 16 ? 0u : 0xFFFFu & (~0u << skipped);
            };
            if (const qsizetype found = step(lastStep, startsFrom(lastStep, i), false); found >= 0)
                return found;
            const qsizetype lastShorter = size - shorter - 15;
            return step(lastShorter, startsFrom(lastShorter, std::max(i, lastStep + 16)), true);
        }
    }
#endif
    const qsizetype a = findExact(text, first, i);
    const qsizetype b = findExact(text, second, i);
    if (b >= 0 && (a < 0 || b < a)) {
        isSecond = true;
        return b;
    }
    return a;
}

// The first occurrence of one word in one text at or after ascending
// positions. The last answer is reused while it still holds (no occurrence,
// or one not yet passed), so asking from many positions costs one scan of the
// text in all, however the questions about several words interleave.
template <typename Find> class NextMatch
{
public:
    explicit NextMatch(Find find)
        : find_(std::move(find))
    {}

    qsizetype from(qsizetype p)
    {
        if (searchedFrom_ < 0 || p < searchedFrom_ || (found_ >= 0 && found_ < p)) {
            found_ = find_(p);
            searchedFrom_ = p;
        }
        return found_;
    }

    // Forgets the last answer, for a find that now looks at other text.
    void reset() { searchedFrom_ = -1; }

private:
    Find find_;
    qsizetype searchedFrom_ = -1;
    qsizetype found_ = -1;
};

// A marker of the plugin, matched exactly; an empty marker is found at once.
inline auto nextMarker(QStringView text, QStringView marker)
{
    return NextMatch([text, marker](qsizetype p) { return findExact(text, marker, p); });
}

inline bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

inline bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

inline bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// White space as QChar::isSpace sees it (ASCII blanks and controls 9-13,
// U+0085, and Unicode's space, line and paragraph separators), told without
// a table look-up for the characters of Japanese text.
inline bool isWhiteSpace(QChar c)
{
    const char16_t u = c.unicode();
    if ((u > 0x20 && u < 0x80) || u > 0x3000) // letters, markup, kana and kanji
        return false;
    if (u < 0x80)
        return u == 0x20 || (u >= 0x09 && u <= 0x0D);
    if (u < 0x1680)
        return u == 0x85 || u == 0xA0;
    return u == 0x1680 || (u >= 0x2000 && u <= 0x200A) || u == 0x2028 || u == 0x2029 ||
           u == 0x202F || u == 0x205F || u == 0x3000;
}

// Whether none of the eight characters at c can be white space (see
// isWhiteSpace: all of it lies at or below U+0020 or from U+0080 to U+3000).
inline bool noWhiteSpaceIn8([[maybe_unused]] const QChar* c)
{
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_subs_epu16(block, _mm_set1_epi16(0x20));
    const __m128i wide =
        _mm_subs_epu16(_mm_sub_epi16(block, _mm_set1_epi16(0x80)), _mm_set1_epi16(0x3000 - 0x80));
    return _mm_movemask_epi8(
               _mm_or_si128(_mm_cmpeq_epi16(low, zero), _mm_cmpeq_epi16(wide, zero))) == 0;
#else
    return false;
#endif
}

// QString::simplified in place: white space removed at both ends and every
// run of it inside replaced by one space.
inline void foldWhiteSpace(QString& text)
{
    QChar* const begin = text.data();
    const QChar* const end = begin + text.size();
    QChar* out = begin;
    bool blank = false; // white space seen since the last character kept
    for (const QChar* c = begin; c != end;) {
        // Eight characters a step while none of them can be white space.
        if (end - c >= 8 && noWhiteSpaceIn8(c)) {
            if (blank && out != begin)
                *out++ = QChar(u' ');
            blank = false;
            if (out != c)
                std::copy(c, c + 8, out);
            out += 8;
            c += 8;
            continue;
        }
        if (isWhiteSpace(*c)) {
            blank = true;
        } else {
            if (blank && out != begin)
                *out++ = QChar(u' ');
            blank = false;
            *out++ = *c;
        }
        ++c;
    }
    text.truncate(out - begin);
}

} // namespace sokuri
