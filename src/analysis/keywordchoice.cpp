#include "analysis/keywordchoice.h"

#include "analysis/compoundterms.h"
#include "analysis/keywords.h"

#include <algorithm>

namespace sokuri {

QStringList ChooseKeywords(QList<ScoredTerm> terms, int max)
{
    std::stable_sort(terms.begin(), terms.end(), [](const ScoredTerm& a, const ScoredTerm& b) {
        if (a.score != b.score)
            return a.score > b.score;
        return a.first < b.first;
    });
    QStringList chosen;
    for (const ScoredTerm& term : std::as_const(terms)) {
        if (max > 0 && chosen.size() >= max)
            break;
        const bool covered = std::any_of(chosen.cbegin(), chosen.cend(), [&](const QString& word) {
            return word.contains(term.word);
        });
        if (!covered)
            chosen.append(term.word);
    }
    return chosen;
}

QStringList PassageKeywords(const QStringList& lines, QStringView text,
                            const KeywordSettings& settings)
{
    const MorphemeList morphemes = MorphemesOf(lines, text);
    const QList<TermOccurrence> occurrences = CompoundTerms(morphemes, settings.compound);
    QStringList keywords;
    if (settings.max <= 0) {
        for (const TermOccurrence& occurrence : occurrences) {
            if (keywords.size() >= KeywordList::Capacity)
                break;
            keywords.append(occurrence.word);
        }
        return keywords;
    }
    return ChooseKeywords(ScoreTerms(occurrences, morphemes),
                          std::min(settings.max, int(KeywordList::Capacity)));
}

} // namespace sokuri
