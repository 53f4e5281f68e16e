#include "retrieval/entrytext.h"

#include "retrieval/textsearch.h"

#include <algorithm>
#include <iterator>

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
    while (end < tag.size() && tag[end].isLetter())
        ++end;
    static constexpr QStringView inlineTags[] = {u"b",    u"i",    u"em", u"strong", u"span",
                                                 u"mark", u"code", u"a",  u"u",      u"small"};
    const QStringView name = tag.first(end);
    if (end == 0)
        return false;
    // ASCII names (all that markup has) are compared here; others by Qt's
    // case folding, which also maps a few other letters onto ASCII ones.
    const bool ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c < u'\x80'; });
    return std::any_of(std::begin(inlineTags), std::end(inlineTags), [name, ascii](QStringView t) {
        if (!ascii)
            return name.compare(t, Qt::CaseInsensitive) == 0;
        return name.size() == t.size() &&
               std::equal(name.begin(), name.end(), t.begin(),
                          [](QChar a, QChar b) { return (a.unicode() | 0x20) == b.unicode(); });
    });
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
    // Never longer than the text: each tag leaves at most one blank.
    QString outside(text.size(), Qt::Uninitialized);
    QChar* out = outside.data();
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        // The text up to the next "<" that starts a tag is copied whole.
        qsizetype lt = findChar(text, u'<', i);
        while (lt >= 0 && (lt + 1 >= size || !startsTag(text[lt + 1])))
            lt = findChar(text, u'<', lt + 1);
        const qsizetype copyEnd = lt < 0 ? size : lt;
        std::copy(text.begin() + i, text.begin() + copyEnd, out);
        out += copyEnd - i;
        if (lt < 0)
            break;
        if (!joinInlineTags || !isInlineTag(text.sliced(lt + 1)))
            *out++ = u' ';
        // The tag runs up to its ">"; a tag without one takes the rest.
        const qsizetype gt = findChar(text, u'>', lt + 1);
        if (gt < 0)
            break;
        i = gt + 1;
    }
    outside.truncate(out - outside.constData());
    return outside;
}

} // namespace sokuri
