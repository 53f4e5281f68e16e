#include "app/entrykeywords.h"

#include "analysis/sentenceanalyser.h"
#include "retrieval/characterreferences.h"
#include "retrieval/entrytext.h"

#include <QTimer>

namespace sokuri {

EntryKeywords::EntryKeywords(MessageSink& messages, QObject* parent)
    : QObject(parent)
    , m_analyser(std::make_unique<SentenceAnalyser>(messages))
{
    connect(m_analyser.get(), &SentenceAnalyser::stateChanged, this, &EntryKeywords::analysisState);
}

EntryKeywords::~EntryKeywords() = default;

QString EntryKeywords::EntryPassage(const ResultRow& row)
{
    const QString text = DecodeCharacterReferences(TextOutsideTags(row.html, true)).simplified();
    return row.title.simplified() + u'\n' + text;
}

void EntryKeywords::start(const ResultRow& row, const ChasenSettings& settings,
                          const AppPaths& paths)
{
    m_analyser->AnalyseText(EntryPassage(row), settings, paths, m_keywords);
    const int state = m_analyser->state();
    if (state == SentenceAnalyser::Idle || state == SentenceAnalyser::Failed) {
        // Nothing started: told from an event, as a finished analysis is.
        QTimer::singleShot(0, this, [this] { emit finished({}); });
    }
}

bool EntryKeywords::isRunning() const
{
    const int state = m_analyser->state();
    return state != SentenceAnalyser::Idle && state != SentenceAnalyser::Failed;
}

void EntryKeywords::analysisState(int state)
{
    if (state == SentenceAnalyser::Idle)
        emit finished(m_keywords.words());
    else if (state == SentenceAnalyser::Failed)
        emit finished({});
}

} // namespace sokuri
