#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <array>

namespace sokuri {

// The keywords of one search run, in the order their analyser lines arrived
// (duplicates stay). The list holds at most Capacity entries; a keyword beyond
// that is dropped so the query stays valid.
class KeywordList
{
public:
    static constexpr int Capacity = 101;

    // Empties the list and the kept lines.
    void clear()
    {
        m_words.clear();
        m_lines.clear();
        m_keptChars = 0;
    }
    // Appends a keyword; returns false (and drops it) when the list is full.
    bool add(const QString& word);
    // Replaces the list by the blank-separated fields of text (keyword mode).
    void setFromText(QStringView text);

    int count() const { return int(m_words.size()); }
    const QStringList& words() const { return m_words; }
    // The keywords joined by one blank each: the keyword string of a run.
    QString joined() const { return m_words.join(u' '); }

    // Whether AddAnalysisLine keeps every line beside the keywords it adds,
    // for the choice of a passage's keywords once the analysis has ended.
    void setKeepingLines(bool keep) { m_keepingLines = keep; }
    bool keepingLines() const { return m_keepingLines; }
    // Keeps line while the kept lines hold less than MaxKeptChars characters
    // (a server that never stops talking costs bounded memory).
    void keepLine(QStringView line)
    {
        if (m_keptChars >= MaxKeptChars)
            return;
        m_keptChars += line.size();
        m_lines.append(line.toString());
    }
    static constexpr qsizetype MaxKeptChars = 16 * 1024 * 1024;
    const QStringList& lines() const { return m_lines; }
    // Replaces the keywords by words (at most Capacity of them).
    void setWords(const QStringList& words)
    {
        m_words = words.first(std::min(words.size(), qsizetype(Capacity)));
    }

private:
    QStringList m_words;
    QStringList m_lines;
    qsizetype m_keptChars = 0;
    bool m_keepingLines = false;
};

// Takes one line of analyser output ("word reading base class ...") and adds
// the word when the fourth field is one of the qualifying class codes "2",
// "3", "6" or "8". Tabs separate fields as blanks do, and a trailing line
// break is removed first, so lines from a server and from a file qualify
// alike. "EOS" lines and lines with an empty first field add nothing.
void AddKeywordLine(KeywordList& keywords, QStringView line);

// The first eight fields of one analyser line as AddKeywordLine reads them:
// the line break dropped, tabs and blanks alike separating fields.
std::array<QString, 8> AnalyserLineFields(QStringView line);

// One line as the analysis routes give it: AddKeywordLine, and the line kept
// when the list keeps lines.
void AddAnalysisLine(KeywordList& keywords, QStringView line);

} // namespace sokuri
