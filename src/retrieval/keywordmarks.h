#pragma once

#include <QString>
#include <QStringList>

namespace sokuri {

// The entry's HTML with every occurrence of the keywords in its text (not in
// tags, attribute values, character references, scripts or styles) marked
// with a highlighting span. Latin letters match without regard to case, and
// full-width and half-width forms count alike (a keyword matches wherever it
// occurs: Japanese text has no word boundaries). Overlapping or adjacent
// occurrences share one mark. The HTML is otherwise unchanged.
QString MarkKeywords(const QString& html, const QStringList& keywords);

// The words of a keyword line, split at blanks (full-width blanks too).
QStringList KeywordsOfText(const QString& text);

// The opening tag of a mark.
inline constexpr char16_t KeywordMarkStart[] =
    u"<span class=\"sokuri-keyword\" style=\"background-color:#ffff66\">";

} // namespace sokuri
