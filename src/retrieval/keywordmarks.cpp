#include "retrieval/keywordmarks.h"

#include <QList>

#include <algorithm>
#include <utility>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// A text folded for matching: each character by its compatibility
// decomposition (full-width and half-width alike, a voiced kana as its base
// and mark) in lower case, with the index of the character it came from.
struct Folded
{
    QString text;
    QList<qsizetype> origin;
};

void foldInto(Folded& folded, QChar c, qsizetype index)
{
    QString form;
    if (c.unicode() < 0x80 || c.isSurrogate())
        form = QString(c);
    else
        form = QString(c).normalized(QString::NormalizationForm_KD);
    for (const QChar f : form) {
        folded.text.append(f.toLower());
        folded.origin.append(index);
    }
}

QString fold(const QString& text)
{
    Folded folded;
    for (qsizetype i = 0; i < text.size(); ++i)
        foldInto(folded, text[i], i);
    return folded.text;
}

// Where the text outside tags, references, scripts and styles lies, folded.
// A character that is no text is folded as a non-character, so no match runs
// across it.
Folded foldText(const QString& html)
{
    Folded folded;
    const QChar barrier(0xFFFF);
    qsizetype i = 0;
    while (i < html.size()) {
        const QChar c = html[i];
        if (c == u'<') {
            qsizetype end = html.indexOf(u'>', i);
            end = end < 0 ? html.size() : end + 1;
            const QStringView tag = QStringView(html).sliced(i, end - i);
            // Scripts and styles hold no text that is read.
            for (const QString& name : {u"script"_s, u"style"_s}) {
                if (tag.size() > name.size() + 1 &&
                    tag.sliced(1, name.size()).compare(name, Qt::CaseInsensitive) == 0) {
                    const qsizetype close = html.indexOf(u"</"_s + name, end, Qt::CaseInsensitive);
                    end = close < 0 ? html.size() : close;
                }
            }
            folded.text.append(barrier);
            folded.origin.append(i);
            i = end;
        } else if (c == u'&') {
            qsizetype end = i + 1;
            while (end < html.size() && end - i < 12 &&
                   (html[end].isLetterOrNumber() || html[end] == u'#'))
                ++end;
            if (end < html.size() && html[end] == u';' && end > i + 1)
                ++end;
            else
                end = i + 1;
            folded.text.append(barrier);
            folded.origin.append(i);
            i = end;
        } else {
            foldInto(folded, c, i);
            ++i;
        }
    }
    return folded;
}

} // namespace

QStringList KeywordsOfText(const QString& text)
{
    QStringList words;
    QString word;
    for (const QChar c : QString(text + u' ')) {
        if (!c.isSpace()) {
            word += c;
        } else if (!word.isEmpty()) {
            words.append(word);
            word.clear();
        }
    }
    return words;
}

QString MarkKeywords(const QString& html, const QStringList& keywords)
{
    QStringList wanted;
    for (const QString& keyword : keywords) {
        const QString folded = fold(keyword.trimmed());
        if (!folded.isEmpty() && !folded.contains(QChar(0xFFFF)) && !wanted.contains(folded))
            wanted.append(folded);
    }
    if (wanted.isEmpty())
        return html;
    const Folded text = foldText(html);
    const qsizetype size = text.text.size();
    // A match begins and ends at the bounds of the characters of the HTML.
    const auto bound = [&text, size](qsizetype at) {
        return at == 0 || at == size || text.origin[at] != text.origin[at - 1];
    };
    QList<std::pair<qsizetype, qsizetype>> spans; // in the HTML, [begin, end)
    for (const QString& keyword : wanted) {
        for (qsizetype at = text.text.indexOf(keyword); at >= 0;
             at = text.text.indexOf(keyword, at + 1)) {
            const qsizetype end = at + keyword.size();
            if (!bound(at) || !bound(end))
                continue;
            spans.append({text.origin[at], text.origin[end - 1] + 1});
        }
    }
    if (spans.isEmpty())
        return html;
    std::sort(spans.begin(), spans.end());
    QString marked;
    marked.reserve(html.size() + spans.size() * 80);
    qsizetype written = 0;
    for (qsizetype s = 0; s < spans.size();) {
        const qsizetype begin = spans[s].first;
        qsizetype end = spans[s].second;
        while (++s < spans.size() && spans[s].first <= end)
            end = std::max(end, spans[s].second);
        marked += QStringView(html).sliced(written, begin - written);
        marked += QStringView(KeywordMarkStart);
        marked += QStringView(html).sliced(begin, end - begin);
        marked += u"</span>"_s;
        written = end;
    }
    marked += QStringView(html).sliced(written);
    return marked;
}

} // namespace sokuri
