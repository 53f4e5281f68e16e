#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace sokuri::demo {

// A document that matched a query: its index in the corpus and its score.
struct ScoredDocument
{
    qsizetype document = 0;
    double score = 0.0;
};

// An inverted index over the terms of each document, ranking by tf-idf: a
// document scores the sum, over the distinct query terms it holds, of the
// term's count in it times ln(1 + N / df), N the number of documents and df
// the number holding the term (so a term found in every document still
// counts a little).
class SearchIndex
{
public:
    explicit SearchIndex(const QList<QStringList>& documentTerms);

    // The documents holding at least one of the terms, best first (equal
    // scores in corpus order), at most limit of them; total, when given, is
    // set to the number of all matching documents.
    QList<ScoredDocument> search(const QStringList& terms, qsizetype limit,
                                 qsizetype* total = nullptr) const;

    qsizetype documentCount() const { return m_documentCount; }

private:
    struct Posting
    {
        qsizetype document = 0;
        int count = 0;
    };

    QHash<QString, QList<Posting>> m_postings;
    qsizetype m_documentCount = 0;
};

} // namespace sokuri::demo
