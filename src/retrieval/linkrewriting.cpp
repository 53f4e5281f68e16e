#include "retrieval/linkrewriting.h"

#include "retrieval/base64link.h"
#include "retrieval/characterreferences.h"
#include "retrieval/charcopy.h"
#include "retrieval/relevancefigure.h"
#include "retrieval/textsearch.h"

#include <QUrl>
#include <QVarLengthArray>

#include <algorithm>
#include <forward_list>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

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
                    Edits& edits)
{
    qsizetype start = eq + 1;
    if (start < text.size() && (text[start] == u'"' || text[start] == u'\''))
        ++start;
    const QStringView address = text.sliced(start);
    if (address.startsWith(u'#') || namesScheme(address))
        return;
    const bool rooted = address.startsWith(u'/');
    if (rooted && address.size() >= 2 && address[1] == u'/')
        edits.push_back({start, rule, 0, schemeOf(baseUrl)});
    else
        edits.push_back({start, rule, rooted && baseUrl.endsWith(u'/') ? 1 : 0, baseUrl});
}

} // namespace

namespace {

// The length of the web address prefix that the "http" at h starts: 8 for
// "https://", 7 for "http://", 0 for neither ("s" in any case with anyCase).
qsizetype webPrefixAt(QStringView text, qsizetype h, bool anyCase)
{
    const qsizetype size = text.size();
    qsizetype i = h + 4;
    const bool secure =
        i < size && (anyCase ? text[i].unicode() | 0x20 : text[i].unicode()) == u's';
    if (secure)
        ++i;
    if (i + 3 <= size && text[i] == u':' && text[i + 1] == u'/' && text[i + 2] == u'/')
        return secure ? 8 : 7;
    return 0;
}

} // namespace

// The first "http://" or "https://" in text, or -1, and the length of that
// prefix.
qsizetype findWebAddress(QStringView text, qsizetype& prefixLength, bool anyCase)
{
    // Both prefixes start with "http": the first "http" that goes on with
    // "://" or "s://" is the first of either.
    prefixLength = 7;
    for (qsizetype h = anyCase ? findNoCase(text, "http"_L1, 0) : findExact(text, u"http", 0);
         h >= 0;
         h = anyCase ? findNoCase(text, "http"_L1, h + 1) : findExact(text, u"http", h + 1)) {
        if (const qsizetype length = webPrefixAt(text, h, anyCase); length != 0) {
            prefixLength = length;
            return h;
        }
    }
    return -1;
}

// param ("//r.example/l/?u=https%3A%2F%2Fx.jp%2F&amp;t=1" with "u" gives
// "https://x.jp/"): the parameter's value, percent-decoded as UTF-8, when it
// is an "http:" or "https:" address; otherwise empty.
QString unwrappedAddress(QStringView link, QStringView param, QStringView base64Prefix)
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
        if (const QString decoded64 = Base64LinkAddress(address, base64Prefix);
            !decoded64.isEmpty())
            return decoded64;
        if (address.startsWith(u"http://"_s, Qt::CaseInsensitive) ||
            address.startsWith(u"https://"_s, Qt::CaseInsensitive))
            return address;
        return {};
    }
    return {};
}

namespace {

// The site of the host that starts at s in text (after its "http://" or
// "https://") and ends before the first character that ends a host.
QString siteFrom(QStringView text, qsizetype s)
{
    qsizetype b = s;
    while (b < text.size() && !endsHost(text[b]))
        ++b;
    if (b == s)
        return {};
    // The host holds no blanks, so its labels need no trimming.
    const QStringView host = text.sliced(s, b - s);
    // A first label that starts with a letter is no number.
    if (!isAsciiLetter(host.front())) {
        const qsizetype firstDot = findChar(host, u'.', 0);
        if (leadingNumber(firstDot < 0 ? host : host.first(firstDot)) != 0.0)
            return host.toString();
    }
    // The labels, last first, written into a string of the host's length.
    QString site(host.size(), Qt::Uninitialized);
    QChar* out = site.data();
    const QChar* const chars = host.data();
    qsizetype labelEnd = host.size();
    for (qsizetype dot = labelEnd - 1; dot >= 0; --dot) {
        if (chars[dot] != u'.')
            continue;
        out = copyChars(chars + dot + 1, labelEnd - dot - 1, out);
        *out++ = u'.';
        labelEnd = dot;
    }
    copyChars(chars, labelEnd, out);
    return site;
}

} // namespace

// The site of the title link: the host of its first "http://" or "https://"
// address with its labels reversed ("aa.bb.cc" gives "cc.bb.aa"), or the host
// unchanged when its first label is a number (a numeric address). Empty
// without such an address.
QString siteOf(QStringView anchor)
{
    qsizetype prefixLength = 0;
    const qsizetype a = findWebAddress(anchor, prefixLength, false);
    return a < 0 ? QString() : siteFrom(anchor, a + prefixLength);
}

QString siteOf(QStringView text, const EntryMarks& marks, qsizetype from, qsizetype end)
{
    const QStringView anchor = text.first(end);
    for (qsizetype h = marks.nextHttp(from); h >= 0 && h < end; h = marks.nextHttp(h + 1)) {
        if (const qsizetype length = webPrefixAt(anchor, h, false); length != 0)
            return siteFrom(anchor, h + length);
    }
    return {};
}

// Makes the links and image sources of an entry absolute and points every
// anchor at the window "_sokuri". With a link parameter, links that carry a
// real address in it are replaced by that address. All positions are those of
// the entry as it came, so nothing inserted is looked at again and the work
// stays linear in the entry's length. Returns the rewritten text; when
// nothing changes, the entry itself (whole, when the caller holds it as a
// string, is shared).
QString rewrittenEntry(QStringView text, const AnchorTags& tags, const EntryMarks& marks,
                       const PluginSlot& slot, const QString* whole)
{
    static const QString target = u" target=\"_sokuri\""_s;
    static constexpr NoCaseWord Target("target"_L1);
    const QString& baseUrl = slot.BaseUrl;
    Edits edits;
    // The unwrapped addresses that edits insert, kept while the edits use them.
    std::forward_list<QString> addresses;

    // Anchors: made absolute and given the target unless the tag names one
    // before its ">" (the end that the anchor tags hold). "target" is looked
    // for inside the tag only. Anchors that share one ">" (an anchor inside
    // another's tag) share one search.
    qsizetype tagEnd = -1;
    auto nextTarget = NextMatch(
        [&text, &tagEnd](qsizetype p) { return findNoCase(text.first(tagEnd), Target, p); });
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
                address = unwrappedAddress(text.sliced(start, end - start), slot.LinkParam,
                                           slot.LinkParamBase64Prefix);
                if (!address.isEmpty()) {
                    addresses.push_front(address.toHtmlEscaped());
                    edits.push_back({start, LinkRule, end - start, addresses.front()});
                }
            }
        }
        if (address.isEmpty())
            addAddressEdit(text, anchor.hrefEq, LinkRule, baseUrl, edits);
        if (anchor.end != tagEnd) {
            tagEnd = anchor.end;
            nextTarget.reset();
        }
        if (nextTarget.from(w) < 0)
            edits.push_back({anchor.end, TargetRule, 0, target});
    }

    // Image sources "src=": only where a blank follows somewhere later in the
    // entry, so a "src=" that ends the entry is left as it is.
    qsizetype w = marks.nextSource(0);
    const qsizetype lastSpace = w < 0 ? -1 : findLastChar(text, u' ');
    for (; w >= 0 && w < lastSpace; w = marks.nextSource(w + 1))
        addAddressEdit(text, w + 3, ImageRule, baseUrl, edits);

    if (edits.empty())
        return whole ? *whole : text.toString();
    std::sort(edits.begin(), edits.end(), [](const Edit& x, const Edit& y) {
        return x.at != y.at ? x.at < y.at : x.rule < y.rule;
    });
    qsizetype grown = 0;
    for (const Edit& edit : edits)
        grown += edit.insert.size();
    // Written straight into a string of the largest size it can take (the
    // skipped characters only make it shorter), then cut to its length.
    QString rewritten(text.size() + grown, Qt::Uninitialized);
    QChar* out = rewritten.data();
    qsizetype copied = 0;
    for (const Edit& edit : edits) {
        if (edit.at > copied) {
            out = copyChars(text.begin() + copied, edit.at - copied, out);
            copied = edit.at;
        }
        out = copyChars(edit.insert.begin(), edit.insert.size(), out);
        copied = std::max(copied, edit.at + edit.skip);
    }
    if (copied < text.size())
        out = copyChars(text.begin() + copied, text.size() - copied, out);
    rewritten.truncate(out - rewritten.constData());
    return rewritten;
}

} // namespace sokuri
