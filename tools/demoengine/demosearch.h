#pragma once

#include "demoengine/corpus.h"
#include "demoengine/searchindex.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace sokuri::demo {

// How the documents were cut into terms: the nouns ChaSen found, or
// character bigrams when no analyser was at hand.
enum class IndexMode { ChasenNouns, Bigrams };

// The searchable corpus: the documents, their index and how queries are to
// be cut into terms to match it.
class DemoSearch
{
public:
    // terms holds the index terms of each document, in corpus order; with
    // an empty list the documents are indexed by their bigrams.
    DemoSearch(QList<DemoDocument> documents, IndexMode mode, const QList<QStringList>& terms = {});

    // The text of a document that is indexed: its title, then its body.
    static QString IndexedText(const DemoDocument& document);

    const QList<DemoDocument>& documents() const { return m_documents; }
    IndexMode mode() const { return m_mode; }
    const SearchIndex& index() const { return m_index; }

    // The terms of a query's keywords. With bigrams, the bigrams of each
    // keyword; with nouns, the nouns the analyser found in each keyword
    // (nouns[i] for keyword i), or the keyword itself, normalised, where it
    // found none (a word typed on its own is searched as it is).
    QStringList queryTerms(const QStringList& keywords, const QList<QStringList>& nouns = {}) const;

    // The document with this path on the site, or -1.
    qsizetype documentOfPath(QStringView path) const;

private:
    QList<DemoDocument> m_documents;
    IndexMode m_mode;
    SearchIndex m_index;
};

} // namespace sokuri::demo
