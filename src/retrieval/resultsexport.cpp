#include "retrieval/resultsexport.h"

#include "app/wholefile.h"

#include <QStringList>
#include <QUrl>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// Decodes the character references of an attribute value: the named ones an
// address uses and the numeric ones.
QString decodeReferences(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype semicolon = text[i] == u'&' ? text.indexOf(u';', i) : -1;
        if (semicolon < 0 || semicolon - i > 10) {
            out.append(text[i]);
            continue;
        }
        const QStringView name = text.sliced(i + 1, semicolon - i - 1);
        char32_t code = 0;
        if (name == u"amp")
            code = u'&';
        else if (name == u"lt")
            code = u'<';
        else if (name == u"gt")
            code = u'>';
        else if (name == u"quot")
            code = u'"';
        else if (name == u"apos")
            code = u'\'';
        else if (name.startsWith(u'#')) {
            bool ok = false;
            const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
            const uint value = name.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            if (ok && value > 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF))
                code = value;
        }
        if (code == 0) {
            out.append(text[i]);
            continue;
        }
        out.append(QString::fromUcs4(&code, 1));
        i = semicolon;
    }
    return out;
}

// The href value of one tag ("<a ...>"), read attribute by attribute, so a
// value that mentions "href=" is not taken for the attribute.
bool hrefOf(QStringView tag, QString& href)
{
    qsizetype i = 2;                      // after "<a"
    const qsizetype end = tag.size() - 1; // the closing ">"
    while (i < end) {
        while (i < end && (tag[i].isSpace() || tag[i] == u'/'))
            ++i;
        const qsizetype nameBegin = i;
        while (i < end && !tag[i].isSpace() && tag[i] != u'=' && tag[i] != u'/')
            ++i;
        const QStringView name = tag.sliced(nameBegin, i - nameBegin);
        while (i < end && tag[i].isSpace())
            ++i;
        QStringView value;
        if (i < end && tag[i] == u'=') {
            ++i;
            while (i < end && tag[i].isSpace())
                ++i;
            if (i < end && (tag[i] == u'"' || tag[i] == u'\'')) {
                const QChar quote = tag[i++];
                qsizetype close = tag.indexOf(quote, i);
                if (close < 0 || close > end)
                    close = end;
                value = tag.sliced(i, close - i);
                i = close + 1;
            } else {
                const qsizetype valueBegin = i;
                while (i < end && !tag[i].isSpace())
                    ++i;
                value = tag.sliced(valueBegin, i - valueBegin);
            }
        }
        if (name.compare(u"href", Qt::CaseInsensitive) == 0) {
            href = decodeReferences(value).trimmed();
            return true;
        }
        if (name.isEmpty() && i == nameBegin)
            ++i;
    }
    return false;
}

bool hasText(QStringView element)
{
    bool inTag = false;
    for (const QChar c : element) {
        if (c == u'<')
            inTag = true;
        else if (c == u'>')
            inTag = false;
        else if (!inTag && !c.isSpace())
            return true;
    }
    return false;
}

QString relevanceText(const QString& relevance)
{
    return relevance.trimmed();
}

QStringList fieldsOf(const ResultRow& row)
{
    return {row.title, row.plugin, relevanceText(row.relevance), row.site, ResultAddress(row.html)};
}

QString csvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

bool isWebAddress(const QString& address)
{
    const QUrl url(address);
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https");
}

} // namespace

QString ResultAddress(const QString& html)
{
    const QStringView text(html);
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = text.indexOf(u"<a"_s, from, Qt::CaseInsensitive);
        if (open < 0)
            return {};
        from = open + 2;
        if (open + 2 >= text.size() || !text[open + 2].isSpace())
            continue;
        const qsizetype tagEnd = text.indexOf(u'>', open);
        if (tagEnd < 0)
            return {};
        QString href;
        if (!hrefOf(text.sliced(open, tagEnd + 1 - open), href))
            continue;
        const qsizetype close = text.indexOf(u"</a>"_s, tagEnd, Qt::CaseInsensitive);
        if (close < 0)
            return {};
        if (hasText(text.sliced(tagEnd + 1, close - tagEnd - 1)))
            return href;
        from = close;
    }
}

QString ResultsAsTabText(const QList<ResultRow>& rows)
{
    QString text;
    for (const ResultRow& row : rows) {
        QStringList fields = fieldsOf(row);
        for (QString& field : fields) {
            field.replace(u'\t', u' ');
            field.replace(u'\r', u' ');
            field.replace(u'\n', u' ');
        }
        text += fields.join(u'\t') + u'\n';
    }
    return text;
}

QByteArray ResultsAsCsv(const QList<ResultRow>& rows)
{
    QString text = u"名前,プラグイン,関連,サイト,アドレス\r\n"_s;
    for (const ResultRow& row : rows) {
        QStringList fields = fieldsOf(row);
        for (QString& field : fields)
            field = csvField(field);
        text += fields.join(u',') + u"\r\n"_s;
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray ResultsAsHtml(const QList<ResultRow>& rows, const QString& heading)
{
    QString page = u"<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>"_s +
                   heading.toHtmlEscaped() + u"</title>\n</head>\n<body>\n<h1>"_s +
                   heading.toHtmlEscaped() + u"</h1>\n<ol>\n"_s;
    for (const ResultRow& row : rows) {
        const QString address = ResultAddress(row.html);
        const QString title = row.title.toHtmlEscaped();
        page += u"<li>"_s;
        if (isWebAddress(address))
            page += u"<a href=\""_s + address.toHtmlEscaped() + u"\">"_s + title + u"</a>"_s;
        else
            page += title;
        QStringList notes = {row.plugin, relevanceText(row.relevance), row.site};
        notes.removeAll(QString());
        if (!notes.isEmpty())
            page += u" <small>("_s + notes.join(u", "_s).toHtmlEscaped() + u")</small>"_s;
        page += u"</li>\n"_s;
    }
    page += u"</ol>\n</body>\n</html>\n"_s;
    return page.toUtf8();
}

bool ExportResults(const QString& path, const QList<ResultRow>& rows, const QString& heading,
                   QString* errorText)
{
    const bool html = path.endsWith(u".html"_s, Qt::CaseInsensitive) ||
                      path.endsWith(u".htm"_s, Qt::CaseInsensitive);
    return WriteWholeFile(path, html ? ResultsAsHtml(rows, heading) : ResultsAsCsv(rows),
                          errorText);
}

} // namespace sokuri
