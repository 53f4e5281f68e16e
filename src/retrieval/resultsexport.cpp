#include "retrieval/resultsexport.h"

#include "common/wholefile.h"
#include "retrieval/characterreferences.h"

#include <QStringList>
#include <QUrl>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

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
            href = DecodeCharacterReferences(value).trimmed();
            return true;
        }
        if (name.isEmpty() && i == nameBegin)
            ++i;
    }
    return false;
}

// The text of an element outside its tags, references decoded.
QString textOf(QStringView element)
{
    QString text;
    bool inTag = false;
    for (const QChar c : element) {
        if (c == u'<')
            inTag = true;
        else if (c == u'>')
            inTag = false;
        else if (!inTag)
            text.append(c);
    }
    return DecodeCharacterReferences(text).simplified();
}

QString relevanceText(const QString& relevance)
{
    return relevance.trimmed();
}

QStringList fieldsOf(const ResultRow& row)
{
    return {row.title, row.plugin, relevanceText(row.relevance), row.site,
            ResultAddress(row.html, row.title)};
}

// A plain number such as "-3" or "-0.5": a spreadsheet reads it as the
// number it is, never as a formula.
bool isPlainNegativeNumber(QStringView text)
{
    if (text.size() < 2 || text[0] != u'-')
        return false;
    bool point = false;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] == u'.' && !point && i > 1 && i + 1 < text.size())
            point = true;
        else if (text[i] < u'0' || text[i] > u'9')
            return false;
    }
    return true;
}

// A cell that a spreadsheet would take for a formula ("=", "+", "-", "@",
// or a tab or carriage return before one) gets a leading apostrophe, so it
// is read as the text it is.
QString spreadsheetText(const QString& text)
{
    if (text.isEmpty() || isPlainNegativeNumber(text))
        return text;
    const QChar first = text.front();
    if (first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' ||
        first == u'\r')
        return u'\'' + text;
    return text;
}

QString csvField(const QString& cell)
{
    const QString text = spreadsheetText(cell);
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

QString ResultAddress(const QString& html, const QString& title)
{
    const QStringView text(html);
    const QString wanted = title.simplified();
    QString firstWithText;
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = text.indexOf(u"<a"_s, from, Qt::CaseInsensitive);
        if (open < 0)
            break;
        from = open + 2;
        if (open + 2 >= text.size() || !text[open + 2].isSpace())
            continue;
        const qsizetype tagEnd = text.indexOf(u'>', open);
        if (tagEnd < 0)
            break;
        QString href;
        if (!hrefOf(text.sliced(open, tagEnd + 1 - open), href))
            continue;
        const qsizetype close = text.indexOf(u"</a>"_s, tagEnd, Qt::CaseInsensitive);
        if (close < 0)
            break;
        const QString anchorText = textOf(text.sliced(tagEnd + 1, close - tagEnd - 1));
        if (!anchorText.isEmpty()) {
            // The anchor the title came from wins over earlier ones (a link
            // to the site before the title's heading).
            if (wanted.isEmpty() || anchorText.contains(wanted))
                return href;
            if (firstWithText.isEmpty())
                firstWithText = href;
        }
        from = close;
    }
    return firstWithText;
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
        const QString address = ResultAddress(row.html, row.title);
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
