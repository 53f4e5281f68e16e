#include "retrieval/entrytext.h"

#include "retrieval/textsearch.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// Whether c, after a "<", makes it the start of a tag ("<p", "</p", "<!--")
// rather than a plain "<" ("a < b", "<2>").
bool startsTag(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'/' || c == u'!' ||
           c == u'?';
}

// Whether the tag after "<" is one of the inline tags that mark words
// within a sentence ("b", "/em", "span class=...").
bool isInlineTag(QStringView tag)
{
    if (tag.startsWith(u'/'))
        tag = tag.sliced(1);
    qsizetype end = 0;
    bool ascii = true;
    for (; end < tag.size(); ++end) {
        const QChar c = tag[end];
        if (isAsciiLetter(c))
            continue;
        if (c.unicode() < 0x80 || !c.isLetter())
            break;
        ascii = false;
    }
    if (end == 0)
        return false;
    const QStringView name = tag.first(end);
    static constexpr QStringView inlineTags[] = {u"b",    u"i",    u"em", u"strong", u"span",
                                                 u"mark", u"code", u"a",  u"u",      u"small"};
    // Others than ASCII names (all that markup has) are compared by Qt's case
    // folding, which also maps a few other letters onto ASCII ones.
    if (!ascii) {
        return std::any_of(std::begin(inlineTags), std::end(inlineTags), [name](QStringView t) {
            return name.compare(t, Qt::CaseInsensitive) == 0;
        });
    }
    constexpr qsizetype longest = 6; // "strong"
    if (end > longest)
        return false;
    char lower[longest];
    for (qsizetype i = 0; i < end; ++i)
        lower[i] = char(name[i].unicode() | 0x20);
    const std::string_view word(lower, size_t(end));
    static constexpr std::string_view asciiTags[] = {"b",    "i",    "em", "strong", "span",
                                                     "mark", "code", "a",  "u",      "small"};
    return std::find(std::begin(asciiTags), std::end(asciiTags), word) != std::end(asciiTags);
}

} // namespace

bool IsWebAddress(QStringView address)
{
    return address.startsWith(u"http://"_s, Qt::CaseInsensitive) ||
           address.startsWith(u"https://"_s, Qt::CaseInsensitive);
}

QString AbsoluteAddress(QString address, QStringView baseUrl)
{
    address = address.trimmed();
    if (address.isEmpty() || IsWebAddress(address))
        return address;
    if (!IsWebAddress(baseUrl))
        return {};
    const qsizetype colon = baseUrl.indexOf(u':');
    if (address.startsWith(u"//"))
        return baseUrl.first(colon + 1) + address;
    // Anything naming a scheme of its own is no web address.
    const qsizetype scheme = address.indexOf(u':');
    const qsizetype slash = address.indexOf(u'/');
    if (scheme > 0 && (slash < 0 || scheme < slash))
        return {};
    const QStringView root = baseUrl.endsWith(u'/') ? baseUrl.chopped(1) : baseUrl;
    return root + (address.startsWith(u'/') ? address : u'/' + address);
}

QString TextOutsideTags(QStringView text, bool joinInlineTags)
{
    QString outside = text.toString();
    RemoveTags(outside, joinInlineTags);
    return outside;
}

void RemoveTags(QString& text, bool joinInlineTags)
{
    qsizetype lt = findChar(text, u'<', 0);
    if (lt < 0)
        return;
    // Never longer than the text: each tag leaves at most one blank, so the
    // text outside the tags is moved down within the string.
    QChar* const begin = text.data();
    const QStringView in(begin, text.size());
    const qsizetype size = in.size();
    QChar* out = begin;
    qsizetype i = 0;
    while (i < size) {
        // The text up to the next "<" that starts a tag is kept whole.
        while (lt >= 0 && (lt + 1 >= size || !startsTag(in[lt + 1])))
            lt = findChar(in, u'<', lt + 1);
        const qsizetype copyEnd = lt < 0 ? size : lt;
        if (out != begin + i)
            std::copy(begin + i, begin + copyEnd, out);
        out += copyEnd - i;
        if (lt < 0)
            break;
        if (!joinInlineTags || !isInlineTag(in.sliced(lt + 1)))
            *out++ = u' ';
        // The tag runs up to its ">"; a tag without one takes the rest.
        const qsizetype gt = findChar(in, u'>', lt + 1);
        if (gt < 0)
            break;
        i = gt + 1;
        lt = findChar(in, u'<', i);
    }
    text.truncate(out - begin);
}

} // namespace sokuri
