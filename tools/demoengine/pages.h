#pragma once

#include "demoengine/corpus.h"
#include "demoengine/demosearch.h"
#include "demoengine/pagecharset.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// The HTML pages of the demo site. Lines end in CR LF; every text from the
// corpus or the query is escaped.
namespace sokuri::demo {

// The most entries a result page lists.
inline constexpr qsizetype ResultsPerPage = 20;
// The most characters of a snippet.
inline constexpr qsizetype SnippetLength = 80;

QString HtmlEscape(QStringView text);

// The sentence of the body that first holds one of the terms (compared as
// the index compares them), or the first sentence, cut at SnippetLength
// characters with an ellipsis.
QString Snippet(const DemoDocument& document, const QStringList& terms);

// The answer to a search: a summary line, then between <ol class="results">
// and </ol> one line per entry, best first:
//   <li><a href="SITE/doc/N">title</a><br><span class="snippet">...</span>
//   <span class="score">4.27</span></li>
// siteBase is the site's address without a final "/" ("http://127.0.0.1:31080").
QString ResultsPage(const DemoSearch& search, const QString& query, const QStringList& terms,
                    PageCharset charset, const QString& siteBase);

// A document on its own, and the site's home page with a search form for
// each character set.
QString DocumentPage(const DemoDocument& document);
QString HomePage(qsizetype documentCount);
QString ErrorPage(int status, const QString& reason);

} // namespace sokuri::demo
