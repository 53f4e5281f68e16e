#include "demoengine/pages.h"

#include "demoengine/terms.h"

using namespace Qt::StringLiterals;

namespace sokuri::demo {

namespace {

QString head(const QString& title, const QString& charset)
{
    return u"<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n<head>\r\n<meta charset=\""_s + charset +
           u"\">\r\n<title>"_s + HtmlEscape(title) + u"</title>\r\n</head>\r\n<body>\r\n"_s;
}

const QString Foot = u"</body>\r\n</html>\r\n"_s;

} // namespace

QString HtmlEscape(QStringView text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            escaped += u"&amp;"_s;
            break;
        case u'<':
            escaped += u"&lt;"_s;
            break;
        case u'>':
            escaped += u"&gt;"_s;
            break;
        case u'"':
            escaped += u"&quot;"_s;
            break;
        case u'\r':
        case u'\n':
            // A page line must not break inside an entry.
            escaped += u' ';
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString Snippet(const DemoDocument& document, const QStringList& terms)
{
    QStringList sentences;
    qsizetype start = 0;
    for (qsizetype i = 0; i < document.body.size(); ++i) {
        if (document.body[i] == u'。' || i == document.body.size() - 1) {
            sentences.append(document.body.sliced(start, i + 1 - start));
            start = i + 1;
        }
    }
    QString chosen = sentences.value(0);
    for (const QString& sentence : sentences) {
        const QString normalised = NormaliseTerm(sentence);
        bool found = false;
        for (const QString& term : terms)
            found = found || (!term.isEmpty() && normalised.contains(term));
        if (found) {
            chosen = sentence;
            break;
        }
    }
    if (chosen.size() > SnippetLength)
        chosen = chosen.first(SnippetLength - 1) + u'…';
    return chosen;
}

QString ResultsPage(const DemoSearch& search, const QString& query, const QStringList& terms,
                    PageCharset charset, const QString& siteBase)
{
    qsizetype total = 0;
    const QList<ScoredDocument> hits = search.index().search(terms, ResultsPerPage, &total);
    QString page = head(u"デモ検索: "_s + query, CharsetName(charset));
    page += u"<h1><a href=\"/\">デモ検索</a></h1>\r\n"_s;
    if (query.trimmed().isEmpty())
        page += u"<p class=\"summary\">キーワードを入力してください。</p>\r\n"_s;
    else
        page += u"<p class=\"summary\">「%1」に合う文書 %2 件のうち上位 %3 件</p>\r\n"_s.arg(
            HtmlEscape(query), QString::number(total), QString::number(hits.size()));
    page += u"<ol class=\"results\">\r\n"_s;
    for (const ScoredDocument& hit : hits) {
        const DemoDocument& document = search.documents()[hit.document];
        page += u"<li><a href=\""_s + siteBase + document.path + u"\">"_s +
                HtmlEscape(document.title) + u"</a><br><span class=\"snippet\">"_s +
                HtmlEscape(Snippet(document, terms)) + u"</span> <span class=\"score\">"_s +
                QString::number(hit.score, 'f', 2) + u"</span></li>\r\n"_s;
    }
    page += u"</ol>\r\n"_s + Foot;
    return page;
}

QString DocumentPage(const DemoDocument& document)
{
    return head(document.title, u"UTF-8"_s) + u"<h1>"_s + HtmlEscape(document.title) +
           u"</h1>\r\n<p>"_s + HtmlEscape(document.body) +
           u"</p>\r\n<p><a href=\"/\">デモ検索へ戻る</a></p>\r\n"_s + Foot;
}

QString HomePage(qsizetype documentCount)
{
    QString page = head(u"デモ検索"_s, u"UTF-8"_s);
    page +=
        u"<h1>デモ検索</h1>\r\n<p>日本各地の名所、料理、祭り、旅の文書 %1 件を検索できます。</p>\r\n"_s
            .arg(documentCount);
    page += u"<form action=\"/utf8\" method=\"get\">\r\n<input type=\"text\" name=\"q\">\r\n"
            "<input type=\"submit\" value=\"検索\">\r\n</form>\r\n"_s;
    // The same search for 温泉 on every path: Shift_JIS query bytes on the
    // first three, UTF-8 on the last.
    page += u"<p>結果ページの文字コード: <a href=\"/jis?q=%89%B7%90%F2\">ISO-2022-JP</a>、"
            "<a href=\"/euc?q=%89%B7%90%F2\">EUC-JP</a>、"
            "<a href=\"/sjis?q=%89%B7%90%F2\">Shift_JIS</a>、"
            "<a href=\"/utf8?q=%E6%B8%A9%E6%B3%89\">UTF-8</a></p>\r\n"_s;
    return page + Foot;
}

QString ErrorPage(int status, const QString& reason)
{
    return head(QString::number(status) + u' ' + reason, u"UTF-8"_s) + u"<h1>"_s +
           QString::number(status) + u' ' + HtmlEscape(reason) + u"</h1>\r\n"_s + Foot;
}

} // namespace sokuri::demo
