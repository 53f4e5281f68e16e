#include "retrieval/anchortags.h"

#include "retrieval/characterreferences.h"
#include "retrieval/textsearch.h"

#include <QChar>
#include <QLatin1StringView>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// Spaces trimmed at both ends, as TrimSpaces does.
QStringView trimmedOfSpaces(QStringView view)
{
    qsizetype end = view.size();
    while (end > 0 && view[end - 1] == u' ')
        --end;
    qsizetype begin = 0;
    while (begin < end && view[begin] == u' ')
        ++begin;
    return view.sliced(begin, end - begin);
}

// Whether text holds none of the characters that textOutsideTags drops or
// reads as markup: no tag ("<", ">"), no tab or line break and no character
// reference ("&"). Such a text is the anchor's text as it stands.
bool isPlainText(QStringView text)
{
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    const auto special = [](char16_t c) {
        return c == u'<' || c == u'>' || c == u'&' || c == u'\t' || c == u'\n' || c == u'\r';
    };
    qsizetype i = 0;
#if defined(__SSE2__)
    const auto is = [](__m128i block, char16_t c) {
        return _mm_cmpeq_epi16(block, _mm_set1_epi16(short(c)));
    };
    for (; i + Lanes <= size; i += Lanes) {
        const __m128i block = loadLanes(chars + i);
        const __m128i found = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(is(block, u'<'), is(block, u'>')), is(block, u'&')),
            _mm_or_si128(_mm_or_si128(is(block, u'\t'), is(block, u'\n')), is(block, u'\r')));
        if (_mm_movemask_epi8(found) != 0)
            return false;
    }
#endif
    for (; i < size; ++i) {
        if (special(chars[i]))
            return false;
    }
    return true;
}

// The characters of an anchor element outside its tags, without tabs and
// line breaks, character references decoded, trimmed of spaces.
QString textOutsideTags(QStringView anchor)
{
    // Gathered on the stack, so the title is allocated once at its own size.
    QVarLengthArray<QChar, 256> text(anchor.size());
    QChar* out = text.data();
    const char16_t* chars = anchor.utf16();
    const qsizetype size = anchor.size();
    bool copying = true;
    qsizetype i = 0;
    while (i < size) {
        if (!copying) {
            // Inside a tag everything up to its ">" is passed over.
            const qsizetype gt = findChar(anchor, QChar(u'>'), i);
            if (gt < 0)
                break;
            copying = true;
            i = gt + 1;
            continue;
        }
#if defined(__SSE2__)
        // Eight characters at a time while none of them is "<", ">" or a
        // control up to CR (tabs and line breaks are dropped).
        const __m128i lt = _mm_set1_epi16(short(u'<'));
        const __m128i gt = _mm_set1_epi16(short(u'>'));
        const __m128i belowCr = _mm_set1_epi16(short(u'\r' + 1));
        for (; i + Lanes <= size; i += Lanes) {
            const __m128i block = loadLanes(chars + i);
            // Characters from U+8000 on are negative as signed lanes: they
            // are ordinary text, so only the non-negative ones count.
            const __m128i control = _mm_andnot_si128(_mm_cmplt_epi16(block, _mm_setzero_si128()),
                                                     _mm_cmplt_epi16(block, belowCr));
            const __m128i special = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi16(block, lt), _mm_cmpeq_epi16(block, gt)), control);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
            const unsigned mask = unsigned(_mm_movemask_epi8(special));
            if (mask != 0) {
                // The characters before the first special one are kept.
                const qsizetype plain = std::countr_zero(mask) / 2;
                out += plain;
                i += plain;
                break;
            }
            out += Lanes;
        }
        if (i >= size)
            break;
#endif
        const char16_t c = chars[i++];
        if (c == u'\t' || c == u'\n' || c == u'\r' || c == u'>')
            continue;
        if (c == u'<')
            copying = false;
        else
            *out++ = QChar(c);
    }
    // Character references stand for their characters ("&amp;" is "&").
    QString decoded;
    QStringView view(text.data(), out - text.data());
    if (findChar(view, QChar(u'&'), 0) >= 0) {
        decoded = DecodeCharacterReferences(view);
        view = decoded;
    }
    view = trimmedOfSpaces(view);
    if (view.isEmpty())
        return {};
    return view.toString();
}

// Finds the anchor tags of one text at ascending positions: "<a href" in any
// letter case, as always, or "<a" and a blank starting a tag whose attributes
// hold "href=" in any order ("<a class=\"r\" href=\"/x\">"). The searches
// behind it remember their last answer, so that a text of many "<a" that
// share one ">" costs one scan, not one per "<a". With the text's marks at
// hand, the "<a" are read from them.
class AnchorScanner
{
public:
    explicit AnchorScanner(QStringView text, const EntryMarks* marks = nullptr)
        : text_(text)
        , marks_(marks)
    {}

    // The next anchor tag from `from` on; an invalid AnchorTag when none.
    AnchorTag next(qsizetype from)
    {
        const qsizetype size = text_.size();
        for (qsizetype v = findOpening(from); v >= 0 && v + 2 < size; v = findOpening(v + 1)) {
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
    // The first "<a" (any letter case) from `from` on, or -1.
    qsizetype findOpening(qsizetype from) const
    {
        return marks_ ? marks_->nextAnchorStart(from) : findNoCase(text_, "<a"_L1, from);
    }

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
        static constexpr NoCaseWord Href("href="_L1);
        for (qsizetype h = findNoCase(tag, Href, from); h >= 0; h = findNoCase(tag, Href, h + 1)) {
            const QChar before = text_[h - 1];
            if (isBlank(before) || before == u'"' || before == u'\'') {
                lastHref_ = h + 4;
                break;
            }
        }
        return lastHref_;
    }

    QStringView text_;
    const EntryMarks* marks_;
    qsizetype gtFrom_ = -1;
    qsizetype gt_ = -1;
    qsizetype lastTagEnd_ = -1;
    qsizetype lastFrom_ = -1;
    qsizetype lastHref_ = -1;
};

} // namespace

AnchorTags anchorTagsOf(QStringView text, const EntryMarks& marks)
{
    AnchorTags tags;
    AnchorScanner scanner(text, &marks);
    for (AnchorTag tag = scanner.next(0); tag.start >= 0 && tag.end >= 0;
         tag = scanner.next(tag.start + 1)) {
        // Written field by field where it lies: a whole tag copied in just
        // after its fields were written waits for them to reach memory.
        AnchorTag& added = tags.emplace_back();
        added.start = tag.start;
        added.hrefEq = tag.hrefEq;
        added.end = tag.end;
        added.close = marks.nextAnchorEnd(tag.start);
    }
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
        const qsizetype w = tag->close;
        if (w < 0)
            break;
        const QStringView anchor = text.sliced(v, w + 4 - v);
        // Most titles are plain text between the tag and its "</a>": then
        // they are that text, trimmed of spaces.
        const qsizetype inside = tag->end + 1;
        if (inside <= w && isPlainText(text.sliced(inside, w - inside)))
            title = trimmedOfSpaces(text.sliced(inside, w - inside)).toString();
        else
            title = textOutsideTags(anchor);
        if (!title.isEmpty())
            return anchor;
        s = w;
    }
    title.clear();
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

} // namespace sokuri
