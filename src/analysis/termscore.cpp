#include "analysis/termscore.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace sokuri {

namespace {

bool opens(const QString& word)
{
    return word == u"（" || word == u"(" || word == u"〔" || word == u"[" || word == u"【";
}

bool closes(const QString& word)
{
    return word == u"）" || word == u")" || word == u"〕" || word == u"]" || word == u"】";
}

bool startsWithHiragana(const QString& word)
{
    return !word.isEmpty() && word[0].unicode() >= 0x3041 && word[0].unicode() <= 0x309F;
}

QString wordAt(const MorphemeList& morphemes, qsizetype i)
{
    return i >= 0 && i < morphemes.size() ? morphemes[i].word : QString();
}

// The index of the morpheme after the term, past the brackets that follow it
// within its sentence.
qsizetype afterTerm(const TermOccurrence& term, const MorphemeList& morphemes)
{
    qsizetype next = term.last + 1;
    while (next < morphemes.size() && opens(morphemes[next].word)) {
        int depth = 0;
        qsizetype j = next;
        for (; j < morphemes.size() && morphemes[j].sentence == term.sentence; ++j) {
            if (opens(morphemes[j].word))
                ++depth;
            else if (closes(morphemes[j].word) && --depth == 0)
                break;
        }
        if (j >= morphemes.size() || depth != 0)
            return next;
        next = j + 1;
    }
    return next;
}

// X という, X と呼ぶ, X と呼ばれる: the text names X.
bool named(const MorphemeList& morphemes, qsizetype next)
{
    const QString marker = wordAt(morphemes, next);
    if (marker == u"という" || marker == u"といい" || marker == u"と言う")
        return true;
    if (marker != u"と")
        return false;
    const QString verb = wordAt(morphemes, next + 1);
    return verb == u"いう" || verb == u"言う" || verb == u"いい" || verb == u"呼ぶ" ||
           verb == u"呼ば" || verb == u"呼ばれる" || verb == u"称する" || verb == u"称さ";
}

struct Signals
{
    bool defines = false;
    bool firstNamed = false;
    bool laterNamed = false;
    bool firstTopic = false;
    int laterTopics = 0;
    bool firstSubject = false;
    bool glossed = false;
    bool quoted = false;
};

void observe(Signals& s, const TermOccurrence& term, const MorphemeList& morphemes,
             bool firstTermOfText)
{
    const qsizetype next = afterTerm(term, morphemes);
    const QString marker = wordAt(morphemes, next);
    if (marker == u"とは" || marker == u"って" ||
        (marker == u"と" && wordAt(morphemes, next + 1) == u"は"))
        s.defines = true;
    else if (marker == u"は" && term.sentence == 0)
        s.firstTopic = true;
    else if (marker == u"は")
        ++s.laterTopics;
    else if (marker == u"が" && term.sentence == 0)
        s.firstSubject = true;
    else if (named(morphemes, next))
        (term.sentence == 0 ? s.firstNamed : s.laterNamed) = true;
    if (firstTermOfText && next != term.last + 1)
        s.glossed = true;
    const QString before = wordAt(morphemes, term.first - 1);
    const QString after = wordAt(morphemes, term.last + 1);
    if ((before == u"「" && after == u"」") || (before == u"『" && after == u"』"))
        s.quoted = true;
}

} // namespace

QList<ScoredTerm> ScoreTerms(const QList<TermOccurrence>& occurrences,
                             const MorphemeList& morphemes)
{
    QList<ScoredTerm> terms;
    QList<Signals> signalsOf;
    QList<const TermOccurrence*> firstOccurrence;
    QHash<QString, qsizetype> index;
    for (qsizetype i = 0; i < occurrences.size(); ++i) {
        const TermOccurrence& occurrence = occurrences[i];
        auto found = index.constFind(occurrence.word);
        qsizetype t = 0;
        if (found == index.constEnd()) {
            t = terms.size();
            index.insert(occurrence.word, t);
            terms.append({occurrence.word, 0, occurrence.first, 0});
            signalsOf.append(Signals{});
            firstOccurrence.append(&occurrence);
        } else {
            t = *found;
        }
        ++terms[t].count;
        observe(signalsOf[t], occurrence, morphemes, i == 0);
    }

    // How often each part occurs across all occurrences.
    QHash<QString, int> partCount;
    for (const TermOccurrence& occurrence : occurrences) {
        for (const QString& part : occurrence.parts)
            ++partCount[part];
    }

    for (qsizetype t = 0; t < terms.size(); ++t) {
        ScoredTerm& term = terms[t];
        const Signals& s = signalsOf[t];
        const TermOccurrence& first = *firstOccurrence[t];
        double score = 0;
        score += s.defines ? 6 : 0;
        score += s.firstTopic || s.firstNamed ? 4 : 0;
        score += s.laterNamed ? 1.5 : 0;
        score += std::min(s.laterTopics, 2);
        score += s.firstSubject ? 1 : 0;
        score += s.glossed ? 2 : 0;
        score += s.quoted ? 2 : 0;
        score += 1.5 * std::log2(1.0 + term.count);

        int inside = 0;
        for (const ScoredTerm& other : std::as_const(terms)) {
            if (other.word.size() > term.word.size() && other.word.contains(term.word))
                inside += other.count;
        }
        score += std::min(0.5 * inside, 2.0);

        if (first.parts.size() > 1) {
            double sum = 0;
            for (const QString& part : first.parts)
                sum += partCount.value(part) - term.count;
            score += std::min(0.3 * sum / double(first.parts.size()), 1.5);
        }

        score += 1.5 / (1.0 + first.sentence);
        score += t == 0 ? 0.5 : 0;
        score += first.proper ? 0.7 : 0;
        score += first.parts.size() >= 3 ? 0.9 : first.parts.size() == 2 ? 0.6 : 0;
        score -= term.word.size() == 1 ? 1.5 : 0;
        // A reading, or the end of a kana word the analyser cut.
        score -= startsWithHiragana(term.word) ? 2 : 0;
        term.score = score;
    }
    return terms;
}

} // namespace sokuri
