#pragma once

#include "retrieval/resultrow.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace sokuri {

// The address of a row: the link of its title anchor, the first anchor
// (an "<a" tag with an href) whose text outside tags holds the title (any
// anchor with text when none does, or the title is empty), with the
// character references of the attribute decoded. Empty when the entry has
// no anchor with text.
QString ResultAddress(const QString& html, const QString& title = {});

// The rows as lines of tab-separated title, plugin, relevance, site and
// address, as the clipboard gets them; tabs and line breaks within a text
// become blanks, the relevance loses its padding.
QString ResultsAsTabText(const QList<ResultRow>& rows);

// The rows as a CSV file: UTF-8 with a byte-order mark, a header line, then
// one line a row (title, plugin, relevance, site, address), CR LF line ends,
// fields quoted where they hold a comma, a quote or a line break. A field
// that begins with "=", "+", "-", "@", a tab or a carriage return (a plain
// negative number excepted) gets a leading apostrophe, so a spreadsheet shows
// it as text and never runs it as a formula.
QByteArray ResultsAsCsv(const QList<ResultRow>& rows);

// The rows as an HTML page (UTF-8) of links: one list item a row, its title
// linking to its address where that is a web address.
QByteArray ResultsAsHtml(const QList<ResultRow>& rows, const QString& heading);

// Writes the rows to path, whole or not at all: an HTML page when the name
// ends in ".html" or ".htm", else CSV. On failure errorText holds a message
// naming the file.
bool ExportResults(const QString& path, const QList<ResultRow>& rows, const QString& heading,
                   QString* errorText = nullptr);

} // namespace sokuri
