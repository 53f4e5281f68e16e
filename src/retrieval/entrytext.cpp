#include "retrieval/entrytext.h"

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
    return end > 0 &&
           std::any_of(std::begin(inlineTags), std::end(inlineTags),
                       [name](QStringView t) { return name.compare(t, Qt::CaseInsensitive) == 0; });
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
    QString outside;
    outside.reserve(text.size());
    bool copying = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (copying && c == u'<' && i + 1 < text.size() && startsTag(text[i + 1])) {
            copying = false;
            if (!joinInlineTags || !isInlineTag(text.sliced(i + 1)))
                outside += u' ';
        } else if (!copying && c == u'>') {
            copying = true;
        } else if (copying) {
            outside += c;
        }
    }
    return outside;
}

} // namespace sokuri
