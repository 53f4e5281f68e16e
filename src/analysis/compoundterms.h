#pragma once

#include "analysis/morpheme.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sokuri {

// One occurrence of a term in the text: a single keyword morpheme, or a run
// of morphemes that together name one thing.
struct TermOccurrence
{
    QString word;        // the surface of the whole run
    QStringList parts;   // the surfaces of its nouns, Latin words and unknown words
    qsizetype first = 0; // index of its first morpheme
    qsizetype last = 0;  // index of its last morpheme
    int sentence = 0;
    bool proper = false; // holds a proper noun

    friend bool operator==(const TermOccurrence&, const TermOccurrence&) = default;
};

// The terms of morphemes, in text order, duplicates kept.
//
// With compound false every common, proper and verbal noun is a term of its
// own, as the keyword rule gives them.
//
// With compound true adjacent (glued) morphemes join: an optional prefix,
// then common, proper and verbal nouns, adjectival stems, suffixes, unknown
// words, Latin letters and numbers written in kanji; a run never starts with
// a suffix, and a prefix that nothing follows is dropped. Digits join only
// to Latin letters (G7, MP3). Punctuation, brackets, blanks and honorifics
// (さん, 様, 氏...) never join. A run is a term when it holds a common,
// proper or verbal noun, a Latin word or an unknown word that is not
// hiragana.
QList<TermOccurrence> CompoundTerms(const MorphemeList& morphemes, bool compound);

} // namespace sokuri
