#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// How the demo engine cuts text into index terms.
namespace sokuri::demo {

// The most keywords a query is split into; the rest is ignored.
inline constexpr qsizetype MaxKeywords = 50;

// A term as the index compares it: compatibility forms folded (full-width
// Latin letters and digits to ASCII, half-width katakana to full width),
// letters in lower case.
QString NormaliseTerm(QStringView text);

// The character bigrams of every run of letters and digits in text, each
// normalised; a run of one character is a term of its own. The terms of a
// query when no morphological analyser is at hand.
QStringList BigramTerms(QStringView text);

// The terms of a document for bigram queries: every letter or digit on its
// own (so a one-character keyword finds it) and every bigram of each run.
QStringList DocumentBigramTerms(QStringView text);

// The nouns in ChaSen's output, one list per sentence (each "EOS" line ends
// one). A line whose fourth tab-separated field, the part of speech, begins
// with 名詞 gives its first field, the word as written, normalised. Text
// after the last "EOS" belongs to no sentence and is ignored.
QList<QStringList> ChasenNouns(QStringView output);

// The keywords of a query: the fields between blanks (space, full-width
// space, tab, line breaks) and "+", empty ones dropped, at most MaxKeywords.
QStringList QueryKeywords(QStringView query);

} // namespace sokuri::demo
