#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace sokuri {

// The keywords of one search run, in the order their analyser lines arrived
// (duplicates stay). The list holds at most Capacity entries; a keyword beyond
// that is dropped so the query stays valid.
class KeywordList
{
public:
    static constexpr int Capacity = 101;

    void clear() { m_words.clear(); }
    // Appends a keyword; returns false (and drops it) when the list is full.
    bool add(const QString& word);
    // Replaces the list by the blank-separated fields of text (keyword mode).
    void setFromText(QStringView text);

    int count() const { return int(m_words.size()); }
    const QStringList& words() const { return m_words; }
    // The keywords joined by one blank each: the keyword string of a run.
    QString joined() const { return m_words.join(u' '); }

private:
    QStringList m_words;
};

// Takes one line of analyser output ("word reading base class ...") and adds
// the word when the fourth field is one of the qualifying class codes "2",
// "3", "6" or "8". Tabs separate fields as blanks do, and a trailing line
// break is removed first, so lines from a server and from a file qualify
// alike. "EOS" lines and lines with an empty first field add nothing.
void AddKeywordLine(KeywordList& keywords, QStringView line);

} // namespace sokuri
