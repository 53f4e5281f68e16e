#include "demoengine/searchindex.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace sokuri::demo {

SearchIndex::SearchIndex(const QList<QStringList>& documentTerms)
    : m_documentCount(documentTerms.size())
{
    for (qsizetype document = 0; document < documentTerms.size(); ++document) {
        QHash<QString, int> counts;
        for (const QString& term : documentTerms[document])
            ++counts[term];
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            m_postings[it.key()].append(Posting{document, it.value()});
    }
}

QList<ScoredDocument> SearchIndex::search(const QStringList& terms, qsizetype limit,
                                          qsizetype* total) const
{
    QHash<qsizetype, double> scores;
    QSet<QString> seen;
    for (const QString& term : terms) {
        if (seen.contains(term))
            continue;
        seen.insert(term);
        const auto postings = m_postings.constFind(term);
        if (postings == m_postings.cend())
            continue;
        const double idf = std::log(1.0 + double(m_documentCount) / double(postings->size()));
        for (const Posting& posting : *postings)
            scores[posting.document] += posting.count * idf;
    }
    QList<ScoredDocument> ranked;
    ranked.reserve(scores.size());
    for (auto it = scores.cbegin(); it != scores.cend(); ++it)
        ranked.append(ScoredDocument{it.key(), it.value()});
    std::sort(ranked.begin(), ranked.end(), [](const ScoredDocument& a, const ScoredDocument& b) {
        return a.score != b.score ? a.score > b.score : a.document < b.document;
    });
    if (total)
        *total = ranked.size();
    if (limit >= 0 && ranked.size() > limit)
        ranked.resize(limit);
    return ranked;
}

} // namespace sokuri::demo
