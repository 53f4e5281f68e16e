#pragma once

#include "analysis/compoundterms.h"
#include "analysis/morpheme.h"

#include <QList>
#include <QString>

namespace sokuri {

// One distinct term of a text and how much the text is about it.
struct ScoredTerm
{
    QString word;
    double score = 0;
    qsizetype first = 0; // morpheme index of its first occurrence
    int count = 0;       // its occurrences as a whole term
};

// The distinct terms of occurrences (in the order they first occur), each
// scored from the morphemes around its occurrences:
//   the text says what it is: the term before とは (or と は, って): 6;
//   it is the topic of the first sentence (before は), or the first sentence
//   names it (X という, と呼ぶ, と呼ばれる): 4; the topic of a later sentence:
//   1 each, at most 2; named by a later sentence: 1.5; the subject of the first sentence (before
//   が): 1; the text's first term glossed in brackets (X（…）は): 2; in 「」 or 『』: 2; how often
//   it occurs: 1.5 × log2(1 + count); how often it stands inside a longer term: 0.5 each, at most
//   2; how often its parts occur in other terms: 0.3 × their mean, at most 1.5; where it first
//   occurs: 1.5 / (1 + sentence), and 0.5 for the text's first term; a proper noun: 0.7; two parts:
//   0.6, three or more: 0.9; a term of one character loses 1.5, one that starts with hiragana (a
//   reading, or the end of a kana word the analyser cut) 2.
// Brackets right after a term (a reading, an English name) are looked past
// when the marker after it is found.
QList<ScoredTerm> ScoreTerms(const QList<TermOccurrence>& occurrences,
                             const MorphemeList& morphemes);

} // namespace sokuri
