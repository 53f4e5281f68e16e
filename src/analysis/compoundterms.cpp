#include "analysis/compoundterms.h"

namespace sokuri {

namespace {

bool isKeywordNoun(MorphemeKind kind)
{
    return kind == MorphemeKind::CommonNoun || kind == MorphemeKind::ProperNoun ||
           kind == MorphemeKind::VerbalNoun;
}

bool isHonorific(const QString& word)
{
    static const QStringList honorifics = {
        QStringLiteral("さん"),   QStringLiteral("様"), QStringLiteral("さま"),
        QStringLiteral("氏"),     QStringLiteral("君"), QStringLiteral("くん"),
        QStringLiteral("ちゃん"), QStringLiteral("殿"), QStringLiteral("たち"),
        QStringLiteral("ら"),     QStringLiteral("等"), QStringLiteral("など")};
    return honorifics.contains(word);
}

bool isHiragana(const QString& word)
{
    for (const QChar c : word) {
        if (c.unicode() < 0x3041 || c.unicode() > 0x309F)
            return false;
    }
    return true;
}

bool isKanjiNumber(const QString& word)
{
    for (const QChar c : word) {
        if (!QStringView(u"〇一二三四五六七八九十百千万億兆").contains(c))
            return false;
    }
    return !word.isEmpty();
}

// Whether the morpheme names something on its own (a run needs one).
bool names(const Morpheme& m)
{
    return isKeywordNoun(m.kind) || m.kind == MorphemeKind::Latin ||
           (m.kind == MorphemeKind::Unknown && !isHiragana(m.word));
}

// The kinds that start and continue a run wherever they stand.
bool alwaysJoins(MorphemeKind kind)
{
    switch (kind) {
    case MorphemeKind::CommonNoun:
    case MorphemeKind::ProperNoun:
    case MorphemeKind::VerbalNoun:
    case MorphemeKind::AdjectivalStem:
    case MorphemeKind::Unknown:
    case MorphemeKind::Latin:
    case MorphemeKind::Prefix:
        return true;
    default:
        return false;
    }
}

// Whether m may continue a run whose last morpheme is previous.
bool continues(const Morpheme& m, const Morpheme& previous)
{
    if (!m.glued)
        return false;
    if (alwaysJoins(m.kind))
        return true;
    switch (m.kind) {
    case MorphemeKind::Suffix:
        return !isHonorific(m.word);
    case MorphemeKind::Number:
        // Digits one by one (ChaSen) stay one number.
        return isKanjiNumber(m.word) || previous.kind == MorphemeKind::Latin ||
               (previous.kind == MorphemeKind::Number && IsDigitWord(previous.word) &&
                IsDigitWord(m.word));
    default:
        return false;
    }
}

bool isKatakana(QStringView word)
{
    for (const QChar c : word) {
        if ((c.unicode() < 0x30A1 || c.unicode() > 0x30FE) &&
            (c.unicode() < 0xFF66 || c.unicode() > 0xFF9F))
            return false;
    }
    return !word.isEmpty();
}

// Whether the run ending at last goes on over a middle dot: the parts of a
// foreign name or term (レオナルド・ダ・ヴィンチ) are katakana words that
// the dot joins into one.
bool joinsOverDot(const MorphemeList& morphemes, qsizetype last)
{
    if (last + 2 >= morphemes.size())
        return false;
    const Morpheme& dot = morphemes[last + 1];
    const Morpheme& next = morphemes[last + 2];
    return (dot.word == u"・" || dot.word == u"･") && dot.glued &&
           isKatakana(morphemes[last].word) && isKatakana(next.word) && continues(next, dot) &&
           names(next);
}

// Whether a run may start at index i.
bool starts(const MorphemeList& morphemes, qsizetype i)
{
    const Morpheme& m = morphemes[i];
    if (alwaysJoins(m.kind))
        return true;
    switch (m.kind) {
    case MorphemeKind::Number:
        if (isKanjiNumber(m.word))
            return true;
        // 3D, 5G: digits before Latin letters.
        return i + 1 < morphemes.size() && morphemes[i + 1].glued &&
               morphemes[i + 1].kind == MorphemeKind::Latin;
    default: // suffixes, symbols and the rest never start one
        return false;
    }
}

std::optional<TermOccurrence> termOf(const MorphemeList& morphemes, qsizetype first, qsizetype last)
{
    // A prefix at the end names nothing.
    while (last >= first && morphemes[last].kind == MorphemeKind::Prefix)
        --last;
    TermOccurrence term;
    term.first = first;
    term.last = last;
    bool naming = false;
    for (qsizetype i = first; i <= last; ++i) {
        const Morpheme& m = morphemes[i];
        term.word += m.word;
        naming = naming || names(m);
        term.proper = term.proper || m.kind == MorphemeKind::ProperNoun;
        if (names(m) || m.kind == MorphemeKind::AdjectivalStem) {
            // Letters the analyser gave one by one are one part.
            if (m.kind == MorphemeKind::Latin && i > first &&
                morphemes[i - 1].kind == MorphemeKind::Latin && !term.parts.isEmpty())
                term.parts.last() += m.word;
            else
                term.parts.append(m.word);
        }
    }
    if (!naming)
        return std::nullopt;
    term.sentence = morphemes[first].sentence;
    return term;
}

} // namespace

QList<TermOccurrence> CompoundTerms(const MorphemeList& morphemes, bool compound)
{
    QList<TermOccurrence> terms;
    if (!compound) {
        for (qsizetype i = 0; i < morphemes.size(); ++i) {
            const Morpheme& m = morphemes[i];
            if (isKeywordNoun(m.kind) && !IsPunctuationWord(m.word))
                terms.append(
                    {m.word, {m.word}, i, i, m.sentence, m.kind == MorphemeKind::ProperNoun});
        }
        return terms;
    }
    qsizetype i = 0;
    while (i < morphemes.size()) {
        if (!starts(morphemes, i)) {
            ++i;
            continue;
        }
        qsizetype last = i;
        for (;;) {
            if (last + 1 < morphemes.size() && continues(morphemes[last + 1], morphemes[last]))
                ++last;
            else if (joinsOverDot(morphemes, last))
                last += 2;
            else
                break;
        }
        if (std::optional<TermOccurrence> term = termOf(morphemes, i, last))
            terms.append(*term);
        i = last + 1;
    }
    return terms;
}

} // namespace sokuri
