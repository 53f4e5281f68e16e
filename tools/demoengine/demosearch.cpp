#include "demoengine/demosearch.h"

#include "demoengine/terms.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace sokuri::demo {

namespace {

QList<QStringList> bigramsOf(const QList<DemoDocument>& documents)
{
    QList<QStringList> terms;
    terms.reserve(documents.size());
    for (const DemoDocument& document : documents)
        terms.append(DocumentBigramTerms(DemoSearch::IndexedText(document)));
    return terms;
}

} // namespace

DemoSearch::DemoSearch(QList<DemoDocument> documents, IndexMode mode,
                       const QList<QStringList>& terms)
    : m_documents(std::move(documents))
    , m_mode(terms.size() == m_documents.size() ? mode : IndexMode::Bigrams)
    , m_index(m_mode == IndexMode::Bigrams ? bigramsOf(m_documents) : terms)
{}

QString DemoSearch::IndexedText(const DemoDocument& document)
{
    return document.title + u'。' + document.body;
}

QStringList DemoSearch::queryTerms(const QStringList& keywords,
                                   const QList<QStringList>& nouns) const
{
    QStringList terms;
    for (qsizetype i = 0; i < keywords.size(); ++i) {
        if (m_mode == IndexMode::Bigrams)
            terms += BigramTerms(keywords[i]);
        else if (i < nouns.size() && !nouns[i].isEmpty())
            terms += nouns[i];
        else
            terms.append(NormaliseTerm(keywords[i]));
    }
    return terms;
}

qsizetype DemoSearch::documentOfPath(QStringView path) const
{
    for (qsizetype i = 0; i < m_documents.size(); ++i) {
        if (m_documents[i].path == path)
            return i;
    }
    return -1;
}

} // namespace sokuri::demo
