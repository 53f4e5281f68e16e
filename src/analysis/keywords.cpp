#include "analysis/keywords.h"

#include "common/splitfields.h"

#include <array>

namespace sokuri {

bool KeywordList::add(const QString& word)
{
    if (m_words.size() >= Capacity)
        return false;
    m_words.append(word);
    return true;
}

void KeywordList::setFromText(QStringView text)
{
    std::array<QString, Capacity> fields;
    const int n = SplitFields(text, u" ", fields);
    m_words = QStringList(fields.begin(), fields.begin() + n);
}

std::array<QString, 8> AnalyserLineFields(QStringView line)
{
    while (!line.isEmpty() && (line.back() == u'\n' || line.back() == u'\r'))
        line.chop(1);
    QString normalised = line.toString();
    normalised.replace(u'\t', u' ');

    std::array<QString, 8> fields;
    SplitFields(normalised, u" ", fields);
    return fields;
}

void AddKeywordLine(KeywordList& keywords, QStringView line)
{
    const std::array<QString, 8> fields = AnalyserLineFields(line);
    const QString& word = fields[0];
    if (word.isEmpty() || word == u"EOS")
        return;
    const QString& wordClass = fields[3];
    if (wordClass == u"2" || wordClass == u"3" || wordClass == u"6" || wordClass == u"8")
        keywords.add(word);
}

void AddAnalysisLine(KeywordList& keywords, QStringView line)
{
    AddKeywordLine(keywords, line);
    if (keywords.keepingLines())
        keywords.keepLine(line);
}

} // namespace sokuri
