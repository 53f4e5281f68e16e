#include "retrieval/extraction.h"

#include "retrieval/characterreferences.h"
#include "retrieval/feedentry.h"

#include <QChar>
#include <QLatin1StringView>
#include <QUrl>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <forward_list>
#include <string>
#include <system_error>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// The searches below look at eight UTF-16 characters a step where SSE2 is at
// hand (every x86-64 processor), and one at a time otherwise. They are
// inline loops rather than calls into Qt's searches: in markup the
// characters searched for recur every few characters, where the cost of a
// call outweighs what a vectorised search saves.
#if defined(__SSE2__)
constexpr qsizetype Lanes = 8;

__m128i loadLanes(const char16_t* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One bit pair a lane: where block, with the bits of fold set, equals wanted.
unsigned lanesEqual(__m128i block, __m128i fold, __m128i wanted)
{
    return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_or_si128(block, fold), wanted)));
}
#endif

// The first c in text from `from` on, or -1.
qsizetype findChar(QStringView text, QChar c, qsizetype from)
{
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    const char16_t wanted = c.unicode();
    qsizetype i = std::max<qsizetype>(from, 0);
#if defined(__SSE2__)
    const __m128i all = _mm_set1_epi16(short(wanted));
    for (; i + Lanes <= size; i += Lanes) {
        const unsigned mask = lanesEqual(loadLanes(chars + i), _mm_setzero_si128(), all);
        if (mask != 0)
            return i + std::countr_zero(mask) / 2;
    }
#endif
    for (; i < size; ++i) {
        if (chars[i] == wanted)
            return i;
    }
    return -1;
}

// The last c in text, or -1. Entries end in markup, so the scan is short.
qsizetype findLastChar(QStringView text, char16_t c)
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
qsizetype findPattern(QStringView text, const char16_t* pattern, const char16_t* folds,
                      qsizetype length, qsizetype from)
{
    if (length == 0)
        return std::max<qsizetype>(from, 0);
    const char16_t* chars = text.utf16();
    const qsizetype last = text.size() - length; // the last possible start
    const auto matchesAt = [&](qsizetype i) {
        for (qsizetype j = 1; j + 1 < length; ++j) {
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
#if defined(__SSE2__)
    const __m128i firstAll = _mm_set1_epi16(short(first));
    const __m128i finalAll = _mm_set1_epi16(short(final));
    const __m128i firstFoldAll = _mm_set1_epi16(short(firstFold));
    const __m128i finalFoldAll = _mm_set1_epi16(short(finalFold));
    // Eight starts a step, while the last of them is a possible start.
    for (; i + Lanes - 1 <= last; i += Lanes) {
        unsigned mask = lanesEqual(loadLanes(chars + i), firstFoldAll, firstAll) &
                        lanesEqual(loadLanes(chars + i + length - 1), finalFoldAll, finalAll);
        while (mask != 0) {
            const int bit = std::countr_zero(mask);
            if (matchesAt(i + bit / 2))
                return i + bit / 2;
            mask &= ~(3u << bit);
        }
    }
#endif
    for (; i <= last; ++i) {
        if (char16_t(chars[i] | firstFold) == first &&
            char16_t(chars[i + length - 1] | finalFold) == final && matchesAt(i))
            return i;
    }
    return -1;
}

// Finds the lower-case ASCII word in text from `from` on, ASCII letters
// compared without regard to case. This gives the positions that a search in
// a copy of text lower-cased letter by letter would give, without making the
// copy; every word searched this way is ASCII and short.
qsizetype findNoCase(QStringView text, QLatin1StringView word, qsizetype from)
{
    constexpr qsizetype most = 16;
    Q_ASSERT(word.size() <= most);
    char16_t pattern[most];
    char16_t folds[most];
    const qsizetype length = std::min(word.size(), most);
    for (qsizetype j = 0; j < length; ++j) {
        pattern[j] = char16_t(word[j].unicode());
        folds[j] = pattern[j] >= u'a' && pattern[j] <= u'z' ? 0x20 : 0;
    }
    return findPattern(text, pattern, folds, length, from);
}

constexpr qsizetype IniValueCharacters = 1023;

// Finds marker in text from `from` on, compared exactly; an empty marker is
// found at `from`.
qsizetype findExact(QStringView text, QStringView marker, qsizetype from)
{
    const qsizetype length = marker.size();
    if (length == 0)
        return from;
    if (length == 1)
        return findChar(text, marker.front(), from);
    // Markers are plugin values of at most 1023 bytes, so no longer in
    // characters; longer ones come only from callers other than a plugin.
    static constexpr char16_t noFolds[IniValueCharacters] = {};
    if (length <= IniValueCharacters)
        return findPattern(text, marker.utf16(), noFolds, length, from);
    const QVarLengthArray<char16_t, 1> folds(length, 0);
    return findPattern(text, marker.utf16(), folds.data(), length, from);
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
auto nextMarker(QStringView text, QStringView marker)
{
    return NextMatch([text, marker](qsizetype p) { return findExact(text, marker, p); });
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Whether text starts with a URI scheme and its ":" (a letter, then letters,
// digits, "+", "-" or "."): "https:", "mailto:", "javascript:".
bool namesScheme(QStringView text)
{
    if (text.isEmpty() || !isAsciiLetter(text.front()))
        return false;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u':')
            return true;
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    return false;
}

// The scheme of the base address with its ":", for links that name only a
// host ("//host/x"); "http:" when the base address names none.
QStringView schemeOf(QStringView baseUrl)
{
    if (namesScheme(baseUrl))
        return baseUrl.first(baseUrl.indexOf(u':') + 1);
    return u"http:";
}

// The first "http://" or "https://" in text, or -1, and the length of that
// prefix.
qsizetype findWebAddress(QStringView text, qsizetype& prefixLength, bool anyCase)
{
    const qsizetype plain =
        anyCase ? findNoCase(text, "http://"_L1, 0) : findExact(text, u"http://", 0);
    const qsizetype secure =
        anyCase ? findNoCase(text, "https://"_L1, 0) : findExact(text, u"https://", 0);
    if (secure >= 0 && (plain < 0 || secure < plain)) {
        prefixLength = 8;
        return secure;
    }
    prefixLength = 7;
    return plain;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The leading decimal number of text: optional blanks, an optional sign,
// digits with an optional fraction ("12", "12.5", ".5"); 0 when there is
// none. Too many digits for a double give infinity.
double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::string number;
    bool nonZeroWhole = false;
    while (i < size && isAsciiDigit(text[i])) {
        nonZeroWhole = nonZeroWhole || text[i] != u'0';
        number += char(text[i].unicode());
        ++i;
    }
    bool anyDigit = !number.empty();
    if (i < size && text[i] == u'.') {
        number += '.';
        for (++i; i < size && isAsciiDigit(text[i]); ++i) {
            number += char(text[i].unicode());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;
    double value = 0.0;
    const std::from_chars_result parsed = std::from_chars(
        number.data(), number.data() + number.size(), value, std::chars_format::fixed);
    if (parsed.ec == std::errc::result_out_of_range)
        value = nonZeroWhole ? HUGE_VAL : 0.0;
    return negative ? -value : value;
}

// The characters of an anchor element outside its tags, without tabs and
// line breaks, character references decoded, trimmed of spaces.
QString textOutsideTags(QStringView anchor)
{
    // Gathered on the stack, so the title is allocated once at its own size.
    QVarLengthArray<QChar, 256> text;
    bool copying = true;
    for (const QChar c : anchor) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            continue;
        if (c == u'<')
            copying = false;
        else if (c == u'>')
            copying = true;
        else if (copying)
            text.append(c);
    }
    // Character references stand for their characters ("&amp;" is "&").
    QString decoded;
    QStringView view(text.data(), text.size());
    if (findChar(view, QChar(u'&'), 0) >= 0) {
        decoded = DecodeCharacterReferences(view);
        view = decoded;
    }
    // Spaces trimmed at both ends, as TrimSpaces does.
    qsizetype end = view.size();
    while (end > 0 && view[end - 1] == u' ')
        --end;
    qsizetype begin = 0;
    while (begin < end && view[begin] == u' ')
        ++begin;
    return view.sliced(begin, end - begin).toString();
}

// One anchor tag of an entry: where its "<" is, where the "=" of its href
// attribute is (-1 for a "<a href" that is not followed by "="), and where
// the first ">" after its start is.
struct AnchorTag
{
    qsizetype start = -1;
    qsizetype hrefEq = -1;
    qsizetype end = -1;
};

// Finds the anchor tags of one text at ascending positions: "<a href" in any
// letter case, as always, or "<a" and a blank starting a tag whose attributes
// hold "href=" in any order ("<a class=\"r\" href=\"/x\">"). The searches
// behind it remember their last answer, so that a text of many "<a" that
// share one ">" costs one scan, not one per "<a".
class AnchorScanner
{
public:
    explicit AnchorScanner(QStringView text)
        : text_(text)
    {}

    // The next anchor tag from `from` on; an invalid AnchorTag when none.
    AnchorTag next(qsizetype from)
    {
        const qsizetype size = text_.size();
        for (qsizetype v = findNoCase(text_, "<a"_L1, from); v >= 0 && v + 2 < size;
             v = findNoCase(text_, "<a"_L1, v + 1)) {
            if (!isBlank(text_[v + 2]))
                continue;
            AnchorTag tag{v, -1, tagEnd(v)};
            if (isLiteralAnchor(v)) {
                if (v + 7 < size && text_[v + 7] == u'=')
                    tag.hrefEq = v + 7;
                return tag;
            }
            // No ">" after it: neither this nor any later "<a" is a tag.
            if (tag.end < 0)
                return {};
            tag.hrefEq = hrefAttribute(v + 3, tag.end);
            if (tag.hrefEq >= 0)
                return tag;
        }
        return {};
    }

private:
    // Whether "<a href" (any letter case) stands at v, where "<a" and a blank
    // are already known to stand.
    bool isLiteralAnchor(qsizetype v) const
    {
        if (v + 7 > text_.size() || text_[v + 2] != u' ')
            return false;
        static constexpr char16_t href[] = u"href";
        for (int i = 0; i < 4; ++i) {
            if ((text_[v + 3 + i].unicode() | 0x20) != href[i])
                return false;
        }
        return true;
    }

    // The first ">" from v on, or -1; asked at ascending positions.
    qsizetype tagEnd(qsizetype v)
    {
        if (gtFrom_ < 0 || v < gtFrom_ || (gt_ >= 0 && gt_ < v)) {
            gt_ = findChar(text_, QChar(u'>'), v);
            gtFrom_ = v;
        }
        return gt_;
    }

    // The "=" of the attribute "href=" in the tag from `from` to tagEnd (the
    // attribute name stands after a blank or a quote), or -1. Several "<a"
    // in one tag share the answer while it lies after them.
    qsizetype hrefAttribute(qsizetype from, qsizetype tagEnd)
    {
        if (tagEnd == lastTagEnd_ && from >= lastFrom_ && (lastHref_ < 0 || lastHref_ - 4 >= from))
            return lastHref_;
        lastTagEnd_ = tagEnd;
        lastFrom_ = from;
        lastHref_ = -1;
        const QStringView tag = text_.first(tagEnd);
        for (qsizetype h = findNoCase(tag, "href="_L1, from); h >= 0;
             h = findNoCase(tag, "href="_L1, h + 1)) {
            const QChar before = text_[h - 1];
            if (isBlank(before) || before == u'"' || before == u'\'') {
                lastHref_ = h + 4;
                break;
            }
        }
        return lastHref_;
    }

    QStringView text_;
    qsizetype gtFrom_ = -1;
    qsizetype gt_ = -1;
    qsizetype lastTagEnd_ = -1;
    qsizetype lastFrom_ = -1;
    qsizetype lastHref_ = -1;
};

// The longest link that is looked at for a real address in it.
constexpr qsizetype MaxUnwrappedLink = 8192;

// The anchor tags of an entry, in order, up to the first with no ">" after
// it (neither it nor any later one is a tag): found once, for the title and
// for the rewriting.
using AnchorTags = QVarLengthArray<AnchorTag, 16>;

AnchorTags anchorTagsOf(QStringView text)
{
    AnchorTags tags;
    AnchorScanner scanner(text);
    for (AnchorTag tag = scanner.next(0); tag.start >= 0 && tag.end >= 0;
         tag = scanner.next(tag.start + 1))
        tags.append(tag);
    return tags;
}

// The title link: the first anchor element (an anchor tag up to the first
// "</a>" after it, tags included) that has text, with that text as title.
// With a title marker, only anchors at or after its first occurrence count.
// No such anchor gives an empty link and title.
QStringView titleAnchor(QStringView text, const AnchorTags& tags, QStringView titleStart,
                        QString& title)
{
    qsizetype s = titleStart.isEmpty() ? 0 : findExact(text, titleStart, 0);
    const AnchorTag* tag = tags.begin();
    while (s >= 0) {
        while (tag != tags.end() && tag->start < s)
            ++tag;
        if (tag == tags.end())
            break;
        const qsizetype v = tag->start;
        const qsizetype w = findNoCase(text, "</a>"_L1, v);
        if (w < 0)
            break;
        const QStringView anchor = text.sliced(v, w + 4 - v);
        title = textOutsideTags(anchor);
        if (!title.isEmpty())
            return anchor;
        s = w;
    }
    title.clear();
    return {};
}

// The real address that a redirect link carries in its query parameter
// param ("//r.example/l/?u=https%3A%2F%2Fx.jp%2F&amp;t=1" with "u" gives
// "https://x.jp/"): the parameter's value, percent-decoded as UTF-8, when it
// is an "http:" or "https:" address; otherwise empty.
QString unwrappedAddress(QStringView link, QStringView param)
{
    if (param.isEmpty())
        return {};
    const QString decoded = DecodeCharacterReferences(link);
    const qsizetype query = decoded.indexOf(u'?');
    if (query < 0)
        return {};
    const qsizetype queryEnd = decoded.indexOf(u'#', query);
    const QStringView pairs = QStringView(decoded).sliced(
        query + 1, (queryEnd < 0 ? decoded.size() : queryEnd) - query - 1);
    for (const QStringView pair : pairs.tokenize(u'&')) {
        if (pair.size() <= param.size() || !pair.startsWith(param) || pair[param.size()] != u'=')
            continue;
        const QString address =
            QUrl::fromPercentEncoding(pair.sliced(param.size() + 1).toUtf8()).trimmed();
        if (address.startsWith(u"http://"_s, Qt::CaseInsensitive) ||
            address.startsWith(u"https://"_s, Qt::CaseInsensitive))
            return address;
        return {};
    }
    return {};
}

// The address of an anchor element's href, as written; empty without one,
// or when it is longer than any link that is unwrapped.
QStringView anchorLink(QStringView anchor)
{
    const AnchorTag tag = AnchorScanner(anchor).next(0);
    if (tag.hrefEq < 0)
        return {};
    qsizetype start = tag.hrefEq + 1;
    QChar quote;
    if (start < anchor.size() && (anchor[start] == u'"' || anchor[start] == u'\'')) {
        quote = anchor[start];
        ++start;
    }
    qsizetype end = start;
    while (end < anchor.size() && end - start <= MaxUnwrappedLink &&
           (quote.isNull() ? !isBlank(anchor[end]) && anchor[end] != u'>' : anchor[end] != quote))
        ++end;
    return end - start > MaxUnwrappedLink ? QStringView() : anchor.sliced(start, end - start);
}

// A character that ends the host of an address: its path, port, query or
// fragment, the end of the attribute value or of the tag.
bool endsHost(QChar c)
{
    switch (c.unicode()) {
    case u'/':
    case u':':
    case u'"':
    case u'\'':
    case u'<':
    case u'>':
    case u'?':
    case u'#':
    case u'\\':
        return true;
    default:
        return isBlank(c);
    }
}

// The site of the title link: the host of its first "http://" or "https://"
// address with its labels reversed ("aa.bb.cc" gives "cc.bb.aa"), or the host
// unchanged when its first label is a number (a numeric address). Empty
// without such an address.
QString siteOf(QStringView anchor)
{
    qsizetype prefixLength = 0;
    const qsizetype a = findWebAddress(anchor, prefixLength, false);
    if (a < 0)
        return {};
    const qsizetype s = a + prefixLength;
    qsizetype b = s;
    while (b < anchor.size() && !endsHost(anchor[b]))
        ++b;
    if (b == s)
        return {};
    // The host holds no blanks, so its labels need no trimming.
    const QStringView host = anchor.sliced(s, b - s);
    const qsizetype firstDot = host.indexOf(u'.');
    if (leadingNumber(firstDot < 0 ? host : host.first(firstDot)) != 0.0)
        return host.toString();
    QString site;
    site.reserve(host.size());
    qsizetype labelEnd = host.size();
    for (qsizetype dot = host.lastIndexOf(u'.'); dot >= 0;
         dot = dot > 0 ? host.lastIndexOf(u'.', dot - 1) : -1) {
        site.append(host.sliced(dot + 1, labelEnd - dot - 1));
        site.append(u'.');
        labelEnd = dot;
    }
    site.append(host.first(labelEnd));
    return site;
}

// One insertion into the entry text: insert goes before position at, and the
// skip characters from at on are dropped. Edits at one position apply in the
// order of their rule (links, then image sources, then window targets).
struct Edit
{
    qsizetype at;
    int rule;
    qsizetype skip;
    QStringView insert;
};

enum EditRule { LinkRule, ImageRule, TargetRule };

using Edits = QVarLengthArray<Edit, 32>;

// The edit that makes the address after the "=" at eq absolute. The address
// starts after the "=", or after the quote that opens it there. An address
// that names a scheme or starts with "#" stays as it is; "//host" gains the
// scheme of the base address; any other one is taken from the root of the
// base address, whose "/" replaces a leading "/" of the address.
void addAddressEdit(QStringView text, qsizetype eq, EditRule rule, QStringView baseUrl,
                    QStringView scheme, Edits& edits)
{
    qsizetype start = eq + 1;
    if (start < text.size() && (text[start] == u'"' || text[start] == u'\''))
        ++start;
    const QStringView address = text.sliced(start);
    if (address.startsWith(u'#') || namesScheme(address))
        return;
    if (address.startsWith(u"//"))
        edits.push_back({start, rule, 0, scheme});
    else
        edits.push_back(
            {start, rule, address.startsWith(u'/') && baseUrl.endsWith(u'/') ? 1 : 0, baseUrl});
}

// Makes the links and image sources of an entry absolute and points every
// anchor at the window "_sokuri". With a link parameter, links that carry a
// real address in it are replaced by that address. All positions are those of
// the entry as it came, so nothing inserted is looked at again and the work
// stays linear in the entry's length. Returns the rewritten text; when
// nothing changes, the entry itself (whole, when the caller holds it as a
// string, is shared).
QString rewrittenEntry(QStringView text, const AnchorTags& tags, const PluginSlot& slot,
                       const QString* whole)
{
    static const QString target = u" target=\"_sokuri\""_s;
    const QString& baseUrl = slot.BaseUrl;
    const QStringView scheme = schemeOf(baseUrl);
    Edits edits;
    // The unwrapped addresses that edits insert, kept while the edits use them.
    std::forward_list<QString> addresses;

    // Anchors: made absolute and given the target unless the tag names one
    // before its ">". An anchor with no ">" after it is no tag: it, and so
    // every later one, is left as it is.
    auto nextGt = NextMatch([&text](qsizetype p) { return findChar(text, u'>', p); });
    // "target" is looked for inside the tag only. Anchors that share one ">"
    // (an anchor inside another's tag) share one search.
    qsizetype tagEnd = -1;
    auto nextTarget = NextMatch(
        [&text, &tagEnd](qsizetype p) { return findNoCase(text.first(tagEnd), "target"_L1, p); });
    // A quoted link ends at its quote; one that holds "<" is none. So the
    // links that are unwrapped never overlap, and each character is looked
    // at once.
    auto nextQuote = NextMatch([&text](qsizetype p) { return findChar(text, u'"', p); });
    auto nextApostrophe = NextMatch([&text](qsizetype p) { return findChar(text, u'\'', p); });
    auto nextLt = NextMatch([&text](qsizetype p) { return findChar(text, u'<', p); });
    for (const AnchorTag& anchor : tags) {
        if (anchor.hrefEq < 0)
            continue;
        const qsizetype w = anchor.start;
        QString address;
        const qsizetype start = anchor.hrefEq + 2;
        if (!slot.LinkParam.isEmpty() && start < text.size()) {
            const QChar quote = text[start - 1];
            const qsizetype end = quote == u'"'    ? nextQuote.from(start)
                                  : quote == u'\'' ? nextApostrophe.from(start)
                                                   : -1;
            const qsizetype lt = nextLt.from(start);
            if (end >= 0 && end - start <= MaxUnwrappedLink && (lt < 0 || lt > end)) {
                address = unwrappedAddress(text.sliced(start, end - start), slot.LinkParam);
                if (!address.isEmpty()) {
                    addresses.push_front(address.toHtmlEscaped());
                    edits.push_back({start, LinkRule, end - start, addresses.front()});
                }
            }
        }
        if (address.isEmpty())
            addAddressEdit(text, anchor.hrefEq, LinkRule, baseUrl, scheme, edits);
        const qsizetype gt = nextGt.from(w);
        if (gt != tagEnd) {
            tagEnd = gt;
            nextTarget.reset();
        }
        if (nextTarget.from(w) < 0)
            edits.push_back({gt, TargetRule, 0, target});
    }

    // Image sources "src=": only where a blank follows somewhere later in the
    // entry, so a "src=" that ends the entry is left as it is.
    const qsizetype lastSpace = findLastChar(text, u' ');
    for (qsizetype w = findNoCase(text, "src="_L1, 0); w >= 0 && w < lastSpace;
         w = findNoCase(text, "src="_L1, w + 1))
        addAddressEdit(text, w + 3, ImageRule, baseUrl, scheme, edits);

    if (edits.empty())
        return whole ? *whole : text.toString();
    std::sort(edits.begin(), edits.end(), [](const Edit& x, const Edit& y) {
        return x.at != y.at ? x.at < y.at : x.rule < y.rule;
    });
    qsizetype grown = 0;
    for (const Edit& edit : edits)
        grown += edit.insert.size();
    QString rewritten;
    rewritten.reserve(text.size() + grown);
    qsizetype copied = 0;
    for (const Edit& edit : edits) {
        if (edit.at > copied) {
            rewritten.append(text.sliced(copied, edit.at - copied));
            copied = edit.at;
        }
        rewritten.append(edit.insert);
        copied = std::max(copied, edit.at + edit.skip);
    }
    rewritten.append(text.sliced(copied));
    return rewritten;
}

// A whole number as a relevance figure: right-aligned in three characters; a
// longer number keeps only its last three.
QString threeCharacters(double whole)
{
    // The figures of 0 to 999 are made once and shared by every row that
    // shows them.
    static const std::array<QString, 1000> common = [] {
        std::array<QString, 1000> figures;
        for (int i = 0; i < 1000; ++i)
            figures[i] = QString::number(i).rightJustified(3, u' ');
        return figures;
    }();
    if (whole >= 0.0 && whole < 1000.0)
        return common[size_t(whole)];
    char digits[24];
    qsizetype length = 3;
    if (std::abs(whole) < 1e15) {
        length = std::to_chars(digits, digits + sizeof digits, qlonglong(whole)).ptr - digits;
    } else {
        // Far more than three digits: the last three are those of the
        // remainder by 1000.
        const int last = int(std::fmod(std::abs(whole), 1000.0));
        digits[0] = char('0' + last / 100);
        digits[1] = char('0' + last / 10 % 10);
        digits[2] = char('0' + last % 10);
    }
    QString figure(3, u' ');
    const qsizetype shown = std::min<qsizetype>(length, 3);
    for (qsizetype i = 0; i < shown; ++i)
        figure[3 - shown + i] = QLatin1Char(digits[length - shown + i]);
    return figure;
}

// The relevance figure of an entry: the leading number x between the relevance
// markers, shown as the integer part of scale × x + 0.5. The first entry with
// a non-zero x sets the connection's scale to 100 / x (while the scale's
// integer part is 0 it is set again), so it shows 100. No markers, an end
// marker that overlaps the start marker, or an x of 0 that would have to set
// the scale give no figure.
QString relevanceFigure(const PluginSlot& slot, SlotState& state, QStringView text)
{
    if (slot.RelevanceStart.isEmpty())
        return {};
    const qsizetype v = findExact(text, slot.RelevanceStart, 0);
    if (v < 0)
        return {};
    const qsizetype w = findExact(text, slot.RelevanceEnd, v);
    // The end marker is looked for from the start marker on; one that ends
    // inside the start marker (or is missing) leaves no relevance text.
    const qsizetype g = v + slot.RelevanceStart.size();
    if (w < g)
        return {};
    const double x = leadingNumber(text.sliced(g, w - g));
    if (!std::isfinite(x))
        return {};
    if (std::trunc(state.RelevanceScale) == 0.0f) {
        const double scale = x == 0.0 ? 0.0 : 100.0 / x;
        if (scale == 0.0 || std::abs(scale) > double(FLT_MAX))
            return {};
        state.RelevanceScale = float(scale);
    }
    const double y = double(state.RelevanceScale) * x + 0.5;
    if (!std::isfinite(y))
        return {};
    return threeCharacters(std::trunc(y));
}

// A base address in the page ("base href=" anywhere in the line, letters in
// any case): the line's first "http://" or "https://" address up to the "/"
// after its host, in lower case, replaces BaseUrl. Without such an address,
// or when no "/" follows the host directly, BaseUrl stays as it is. So does
// a host longer than any host name with a port: BaseUrl is copied into every
// relative link, and a page must not make that copy arbitrarily long.
void takeBaseAddress(PluginSlot& slot, QStringView line)
{
    constexpr qsizetype maxHostAndPort = 253 + 6; // the longest DNS name, ":65535"
    if (findNoCase(line, "base href="_L1, 0) < 0)
        return;
    qsizetype prefixLength = 0;
    const qsizetype a = findWebAddress(line, prefixLength, true);
    if (a < 0)
        return;
    const qsizetype hostStart = a + prefixLength;
    const qsizetype b = line.indexOf(u'/', hostStart);
    if (b <= hostStart || b - hostStart > maxHostAndPort)
        return;
    for (qsizetype i = hostStart; i < b; ++i) {
        if (endsHost(line[i]) && line[i] != u':')
            return;
    }
    slot.BaseUrl = line.sliced(a, b + 1 - a).toString().toLower();
}

// Appends to the entry text while it stays within MaxItemTextLength; an entry
// that outgrows it is marked too long and its text released.
void appendToItem(SlotState& state, QStringView text)
{
    if (state.ItemTooLong)
        return;
    if (text.size() > MaxItemTextLength - state.ItemText.size()) {
        state.ItemTooLong = true;
        state.ItemText = QString();
        return;
    }
    state.ItemText.append(text);
}

// The row of one entry; whole is the entry as a string when the caller holds
// it as one.
ResultRow entryRow(const PluginSlot& slot, SlotState& state, QStringView entry,
                   const QString* whole)
{
    ResultRow row;
    row.plugin = slot.Name;
    if (slot.Feed) {
        FeedEntry feed = ReadFeedEntry(entry, slot.BaseUrl);
        row.title = std::move(feed.title);
        row.site = siteOf(feed.address);
        row.html = FeedEntryPage(row.title, feed.address, feed.text);
        row.relevance = relevanceFigure(slot, state, entry);
        return row;
    }
    // The title link is taken before any rewriting; a redirect link stands
    // for the address it carries.
    const AnchorTags tags = anchorTagsOf(entry);
    const QStringView anchor = titleAnchor(entry, tags, slot.TitleStart, row.title);
    const QString address =
        slot.LinkParam.isEmpty() ? QString() : unwrappedAddress(anchorLink(anchor), slot.LinkParam);
    row.site = address.isEmpty() ? siteOf(anchor) : siteOf(address);
    row.html = rewrittenEntry(entry, tags, slot, whole);
    row.relevance = relevanceFigure(slot, state, row.html);
    return row;
}

} // namespace

ResultRow ProcessItem(const PluginSlot& slot, SlotState& state, QString& itemText)
{
    ResultRow row = entryRow(slot, state, itemText, &itemText);
    itemText = row.html;
    return row;
}

void ProcessLine(PluginSlot& slot, SlotState& state, QStringView line, QList<ResultRow>& rows)
{
    takeBaseAddress(slot, line);

    auto listStart = nextMarker(line, slot.ListStart);
    auto listEnd = nextMarker(line, slot.ListEnd);
    auto itemStart = nextMarker(line, slot.ItemStart);
    auto itemEnd = nextMarker(line, slot.ItemEnd);
    auto bannerStart = nextMarker(line, slot.BannerStart);
    auto bannerEnd = nextMarker(line, slot.BannerEnd);

    // The marker states already taken at the current position: coming back to
    // one of them without moving on (empty markers that would go round for
    // ever) ends the scan of the line.
    unsigned seenHere = 0;
    qsizetype seenAt = -1;

    const qsizetype size = line.size();
    qsizetype p = 0;
    // The last character alone (normally the LF) starts nothing.
    while (p < size - 1) {
        const int phase = !state.InList ? 0 : !state.InItem ? 1 : !state.InBanner ? 2 : 3;
        if (p != seenAt) {
            seenAt = p;
            seenHere = 0;
        }
        if (seenHere & (1u << phase))
            return;
        seenHere |= 1u << phase;

        switch (phase) {
        case 0: { // outside the list
            const qsizetype f = listStart.from(p);
            if (f < 0)
                return;
            state.InList = true;
            state.SawList = true;
            p = f + slot.ListStart.size();
            break;
        }
        case 1: { // in the list, between entries; an entry start wins over the list end
            const qsizetype f = itemStart.from(p);
            if (f >= 0) {
                state.InItem = true;
                state.ItemTooLong = false;
                state.ItemText.clear();
                p = f; // the marker belongs to the entry
                break;
            }
            const qsizetype g = listEnd.from(p);
            if (g < 0)
                return;
            state.InList = false;
            p = g + slot.ListEnd.size();
            break;
        }
        case 2: { // in an entry
            // An empty ItemEnd could never end an entry without going round
            // for ever: the entry collects the page and is dropped with it.
            const qsizetype e = slot.ItemEnd.isEmpty() ? -1 : itemEnd.from(p);
            // A banner counts when it starts before the entry's end, so it
            // never joins two entries.
            if (!slot.BannerStart.isEmpty()) {
                const qsizetype f = bannerStart.from(p);
                if (f >= 0 && (e < 0 || f < e)) {
                    appendToItem(state, line.sliced(p, f - p));
                    state.InBanner = true;
                    p = f;
                    break;
                }
            }
            if (e < 0) {
                appendToItem(state, line.sliced(p));
                return;
            }
            const qsizetype e2 = e + slot.ItemEnd.size();
            if (state.ItemText.isEmpty() && !state.ItemTooLong && e2 - p <= MaxItemTextLength) {
                // The whole entry lies in this line: its row is made from
                // the line, without collecting it first.
                rows.append(entryRow(slot, state, line.sliced(p, e2 - p), nullptr));
            } else {
                appendToItem(state, line.sliced(p, e2 - p));
                if (!state.ItemTooLong)
                    rows.append(ProcessItem(slot, state, state.ItemText));
            }
            state.ItemTooLong = false;
            state.InItem = false;
            p = e2;
            break;
        }
        default: { // in a banner: dropped with both markers
            const qsizetype f = slot.BannerEnd.isEmpty() ? -1 : bannerEnd.from(p);
            if (f < 0)
                return;
            state.InBanner = false;
            p = f + slot.BannerEnd.size();
            break;
        }
        }
    }
}

} // namespace sokuri
