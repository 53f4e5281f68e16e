#include "analysis/sentenceanalyser.h"

#include "analysis/analysabletext.h"
#include "analysis/keywordchoice.h"
#include "analysis/keywords.h"
#include "analysis/morpheme.h"

namespace sokuri {

SentenceAnalyser::SentenceAnalyser(MessageSink& messages, QObject* parent)
    : QObject(parent)
    , m_local(messages)
{
    connect(&m_client, &ChasenClient::stateChanged, this, &SentenceAnalyser::reportState);
    connect(&m_local, &LocalChasen::finished, this, &SentenceAnalyser::reportState);
}

SentenceAnalyser::~SentenceAnalyser() = default;

void SentenceAnalyser::AnalyseText(const QString& text, const ChasenSettings& settings,
                                   const AppPaths& paths, KeywordList& keywords)
{
    m_inAnalyseText = true;
    m_choosingFor = nullptr;
    keywords.clear();
    m_local.stop();
    m_client.close();

    m_keywordSettings = m_fixedSettings ? *m_fixedSettings : LoadKeywordSettings(paths.IniPath);
    const bool choosing = m_keywordSettings.choosing();
    keywords.setKeepingLines(choosing);
    m_analysedText = AnalysableText(text);
    if (choosing)
        m_choosingFor = &keywords;
    if (settings.type == ChasenSettings::Local)
        m_local.start(m_analysedText, settings.filename, paths, keywords);
    else if (settings.type == ChasenSettings::Server)
        m_client.start(m_analysedText, settings.host, settings.port, keywords);
    m_inAnalyseText = false;
    if (state() == Idle || state() == Failed)
        m_choosingFor = nullptr;

    // The caller reads the state on return; the signal reports what changes
    // after that, so no change is reported twice and none is missed.
    m_lastReportedState = state();
}

void SentenceAnalyser::close()
{
    m_choosingFor = nullptr;
    m_local.stop();
    m_client.close();
    m_lastReportedState = state();
}

int SentenceAnalyser::state() const
{
    return m_local.isRunning() ? LocalRunning : m_client.state();
}

void SentenceAnalyser::reportState()
{
    // A local run that cannot start ends inside AnalyseText, which returns
    // the state itself.
    if (m_inAnalyseText)
        return;
    const int now = state();
    if (now == Idle || now == Failed)
        chooseKeywords();
    if (now == m_lastReportedState)
        return;
    m_lastReportedState = now;
    emit stateChanged(now);
}

void SentenceAnalyser::chooseKeywords()
{
    KeywordList* keywords = m_choosingFor;
    m_choosingFor = nullptr;
    if (!keywords || !HasOwnClassCodes(keywords->lines()))
        return;
    keywords->setWords(PassageKeywords(keywords->lines(), m_analysedText, m_keywordSettings));
}

} // namespace sokuri
