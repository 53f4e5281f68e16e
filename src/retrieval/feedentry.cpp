#include "retrieval/feedentry.h"

#include "retrieval/characterreferences.h"
#include "retrieval/entrytext.h"
#include "retrieval/linkrewriting.h"
#include "retrieval/relevancefigure.h"
#include "searchplugins/readablelength.h"

#include <QStringList>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Whether the character after an element's name ends the name.
bool endsName(QStringView text, qsizetype at)
{
    return at >= text.size() || isSpace(text[at]) || text[at] == u'>' || text[at] == u'/';
}

// One element: its start tag (without "<" and ">") and its content; the
// content is null for an empty element ("<link href=… />").
struct Element
{
    QStringView tag;
    QStringView content;
    bool found = false;
};

// The first element named name from `from` on ("title", "dc:title").
Element findElement(QStringView entry, QStringView name, qsizetype& from)
{
    const QString open = u'<' + name.toString();
    for (qsizetype at = entry.indexOf(open, from); at >= 0; at = entry.indexOf(open, at + 1)) {
        if (!endsName(entry, at + open.size()))
            continue;
        const qsizetype gt = entry.indexOf(u'>', at);
        if (gt < 0)
            return {};
        Element element;
        element.found = true;
        element.tag = entry.sliced(at + 1, gt - at - 1);
        from = gt + 1;
        if (element.tag.endsWith(u'/')) {
            element.tag.chop(1);
            return element;
        }
        const QString close = u"</" + name.toString();
        const qsizetype end = entry.indexOf(close, gt + 1);
        element.content = entry.sliced(gt + 1, (end < 0 ? entry.size() : end) - gt - 1);
        // Without its end tag the element runs to the end of the entry, and
        // no later one of its name could end either.
        from = end < 0 ? entry.size() : end;
        return element;
    }
    return {};
}

Element firstElement(QStringView entry, QStringView name)
{
    qsizetype from = 0;
    return findElement(entry, name, from);
}

// The value of attribute name in a start tag, references decoded; empty
// without it.
QString attribute(QStringView tag, QStringView name)
{
    for (qsizetype at = tag.indexOf(name); at >= 0; at = tag.indexOf(name, at + 1)) {
        if (at == 0 || !isSpace(tag[at - 1]))
            continue;
        qsizetype i = at + name.size();
        while (i < tag.size() && isSpace(tag[i]))
            ++i;
        if (i >= tag.size() || tag[i] != u'=')
            continue;
        ++i;
        while (i < tag.size() && isSpace(tag[i]))
            ++i;
        if (i >= tag.size())
            return {};
        const QChar quote = tag[i];
        if (quote != u'"' && quote != u'\'')
            return {};
        const qsizetype end = tag.indexOf(quote, i + 1);
        return DecodeCharacterReferences(tag.sliced(i + 1, (end < 0 ? tag.size() : end) - i - 1));
    }
    return {};
}

// Content as the text it stands for: character data sections unwrapped,
// references decoded elsewhere.
QString contentText(QStringView content)
{
    static constexpr QStringView cdataOpen = u"<![CDATA[";
    static constexpr QStringView cdataClose = u"]]>";
    QString text;
    qsizetype at = 0;
    while (at < content.size()) {
        const qsizetype open = content.indexOf(cdataOpen, at);
        if (open < 0) {
            text += DecodeCharacterReferences(content.sliced(at));
            break;
        }
        text += DecodeCharacterReferences(content.sliced(at, open - at));
        const qsizetype start = open + cdataOpen.size();
        const qsizetype close = content.indexOf(cdataClose, start);
        text += content.sliced(start, (close < 0 ? content.size() : close) - start);
        at = close < 0 ? content.size() : close + cdataClose.size();
    }
    return text;
}

// Text for a person to read: markup that it holds dropped (escaped HTML
// comes out of contentText as markup, its own references then decoded), and
// white space folded to single spaces.
QString plainText(QStringView content)
{
    QString text = contentText(content);
    if (text.contains(u'<'))
        text = DecodeCharacterReferences(TextOutsideTags(text, false));
    return text.simplified();
}

// The entry's own address: the first "<link>" with text or the first Atom
// link to the entry's page, else a permanent identifier that is a web
// address.
QString entryAddress(QStringView entry)
{
    qsizetype from = 0;
    for (Element link = findElement(entry, u"link", from); link.found;
         link = findElement(entry, u"link", from)) {
        if (!link.content.isNull() && !link.content.trimmed().isEmpty() &&
            !link.tag.contains(u"href")) {
            return contentText(link.content).trimmed();
        }
        const QString rel = attribute(link.tag, u"rel");
        const QString href = attribute(link.tag, u"href");
        if (!href.isEmpty() && (rel.isEmpty() || rel == u"alternate"))
            return href.trimmed();
    }
    for (const QStringView name : {u"guid", u"id"}) {
        const Element id = firstElement(entry, name);
        const QString text = contentText(id.content).trimmed();
        if (IsWebAddress(text))
            return text;
    }
    // RSS 1.0: the item's own start tag names its resource.
    const qsizetype gt = entry.indexOf(u'>');
    const QString about = attribute(entry.first(gt < 0 ? 0 : gt), u"rdf:about");
    return IsWebAddress(about) ? about : QString();
}

} // namespace

FeedEntry ReadFeedEntry(QStringView entry, QStringView baseUrl)
{
    FeedEntry feed;
    Element title = firstElement(entry, u"title");
    if (!title.found)
        title = firstElement(entry, u"dc:title");
    feed.title = plainText(title.content);
    feed.address = AbsoluteAddress(entryAddress(entry), baseUrl);
    for (const QStringView name :
         {u"description", u"summary", u"content", u"content:encoded", u"dc:description"}) {
        const Element text = firstElement(entry, name);
        if (text.found && !text.content.isNull()) {
            feed.text = plainText(text.content);
            if (!feed.text.isEmpty())
                break;
        }
    }
    return feed;
}

FeedEntry ReadFeedEntry(QStringView entry, QStringView baseUrl, const FeedElementNames& names)
{
    FeedEntry feed = ReadFeedEntry(entry, baseUrl);
    if (!names.title.isEmpty())
        feed.title = plainText(firstElement(entry, names.title).content);
    if (!names.text.isEmpty())
        feed.text = plainText(firstElement(entry, names.text).content);
    if (!names.link.isEmpty()) {
        const Element link = firstElement(entry, names.link);
        const QString href = attribute(link.tag, u"href");
        feed.address = AbsoluteAddress(
            href.isEmpty() ? contentText(link.content).trimmed() : href.trimmed(), baseUrl);
    }
    feed.text = CutToReadableLength(feed.text, names.textMaxLength);
    return feed;
}

QString FeedEntryPage(const QString& title, const QString& address, const QString& text)
{
    QString page = u"<p>"_s;
    if (address.isEmpty()) {
        page += u"<b>" + title.toHtmlEscaped() + u"</b>";
    } else {
        page += u"<a href=\"" + address.toHtmlEscaped() + u"\" target=\"_sokuri\">" +
                title.toHtmlEscaped() + u"</a>";
    }
    page += u"</p>";
    if (!text.isEmpty())
        page += u"<p>" + text.toHtmlEscaped() + u"</p>";
    return page;
}

ResultRow FeedEntryReader::entryRow(const PluginSlot& slot, SlotState& state, QStringView entry,
                                    const QString*) const
{
    ResultRow row;
    row.plugin = slot.Name;
    FeedEntry feed = ReadFeedEntry(entry, slot.BaseUrl, slot.FeedElements);
    row.title = std::move(feed.title);
    row.site = siteOf(feed.address);
    row.html = FeedEntryPage(row.title, feed.address, feed.text);
    row.relevance = relevanceFigure(slot, state, entry);
    return row;
}

} // namespace sokuri
