#pragma once

#include "analysis/keywords.h"
#include "common/appstate.h"
#include "common/settings.h"
#include "retrieval/resultrow.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace sokuri {

class MessageSink;
class SentenceAnalyser;

// The keywords of a result row, for 「この項目の語で検索」: its title and the
// text of its entry go through the analysis of sentence mode, with the
// keyword settings as they stand.
class EntryKeywords : public QObject
{
    Q_OBJECT

public:
    explicit EntryKeywords(MessageSink& messages, QObject* parent = nullptr);
    ~EntryKeywords() override;

    // The passage of row: its title, a line break, the entry's text without
    // tags and with its character references decoded.
    static QString EntryPassage(const ResultRow& row);

    // Ends an analysis under way, then analyses row's passage; finished()
    // follows (from an event, or at once when nothing could start).
    void start(const ResultRow& row, const ChasenSettings& settings, const AppPaths& paths);
    bool isRunning() const;

signals:
    // The chosen keywords; empty when the analysis failed or found none.
    void finished(const QStringList& keywords);

private:
    void analysisState(int state);

    std::unique_ptr<SentenceAnalyser> m_analyser;
    KeywordList m_keywords;
};

} // namespace sokuri
