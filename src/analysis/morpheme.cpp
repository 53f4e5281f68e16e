#include "analysis/morpheme.h"

#include "analysis/keywords.h"

#include <array>

namespace sokuri {

namespace {

MorphemeKind kindOfCode(const QString& code)
{
    if (code.size() != 1)
        return MorphemeKind::Other;
    switch (code[0].unicode()) {
    case u'2':
        return MorphemeKind::CommonNoun;
    case u'3':
        return MorphemeKind::ProperNoun;
    case u'6':
        return MorphemeKind::VerbalNoun;
    case morphemecode::Prefix:
        return MorphemeKind::Prefix;
    case morphemecode::Suffix:
        return MorphemeKind::Suffix;
    case morphemecode::AdjectivalStem:
        return MorphemeKind::AdjectivalStem;
    case morphemecode::Number:
        return MorphemeKind::Number;
    case morphemecode::Unknown:
        return MorphemeKind::Unknown;
    case morphemecode::Symbol:
        return MorphemeKind::Symbol;
    default:
        return MorphemeKind::Other;
    }
}

bool isLatinLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'Ａ' && u <= u'Ｚ') ||
           (u >= u'ａ' && u <= u'ｚ');
}

bool isDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'０' && u <= u'９');
}

bool endsSentence(QChar c)
{
    return c == u'。' || c == u'！' || c == u'？' || c == u'!' || c == u'?' || c == u'\n' ||
           c == u'\r';
}

} // namespace

bool IsPunctuationWord(QStringView word)
{
    for (const QChar c : word) {
        if (!(c.isPunct() || c.isSymbol() || c.isSpace() || c == u'\u3000'))
            return false;
    }
    return true;
}

bool IsLatinWord(QStringView word)
{
    bool letter = false;
    for (const QChar c : word) {
        if (isLatinLetter(c))
            letter = true;
        else if (!isDigit(c))
            return false;
    }
    return letter;
}

bool IsDigitWord(QStringView word)
{
    for (const QChar c : word) {
        if (!isDigit(c))
            return false;
    }
    return !word.isEmpty();
}

std::optional<Morpheme> ParseMorphemeLine(QStringView line)
{
    const std::array<QString, 8> fields = AnalyserLineFields(line);
    if (fields[0].isEmpty() || fields[0] == u"EOS")
        return std::nullopt;
    Morpheme morpheme;
    morpheme.word = fields[0];
    morpheme.kind = kindOfCode(fields[3]);
    if (IsLatinWord(morpheme.word))
        morpheme.kind = MorphemeKind::Latin;
    else if (IsPunctuationWord(morpheme.word))
        morpheme.kind = MorphemeKind::Symbol;
    return morpheme;
}

bool HasOwnClassCodes(const QStringList& lines)
{
    for (const QString& line : lines) {
        const std::array<QString, 8> fields = AnalyserLineFields(line);
        if (fields[0].isEmpty() || fields[0] == u"EOS")
            continue;
        const QString& code = fields[3];
        if (code.size() != 1 || !QStringView(u"0236psanuy").contains(code[0]))
            return false;
    }
    return true;
}

MorphemeList MorphemesOf(const QStringList& lines, QStringView text)
{
    // How far ahead a surface is looked for: beyond the blanks and line
    // breaks an analyser skips, not so far that a changed surface finds a
    // later copy of itself.
    constexpr qsizetype Window = 64;
    MorphemeList morphemes;
    morphemes.reserve(lines.size());
    qsizetype position = 0;
    int sentence = 0;
    bool sentenceEnded = false;
    for (const QString& line : lines) {
        std::optional<Morpheme> morpheme = ParseMorphemeLine(line);
        if (!morpheme)
            continue;
        const QStringView rest = text.sliced(std::min(position, text.size()));
        const qsizetype found = rest.left(Window + morpheme->word.size()).indexOf(morpheme->word);
        bool glued = true;
        if (found > 0) {
            const QStringView gap = rest.left(found);
            bool blank = true;
            for (const QChar c : gap) {
                if (endsSentence(c))
                    sentenceEnded = true;
                if (!(c.isSpace() || c == u'\u3000'))
                    blank = false;
            }
            glued = !blank;
        }
        if (sentenceEnded) {
            ++sentence;
            sentenceEnded = false;
        }
        position += (found >= 0 ? found : 0) + morpheme->word.size();
        morpheme->glued = glued && !morphemes.isEmpty() && morphemes.last().sentence == sentence;
        morpheme->sentence = sentence;
        if (morpheme->word.size() == 1 && endsSentence(morpheme->word[0]))
            sentenceEnded = true;
        morphemes.append(*morpheme);
    }
    return morphemes;
}

} // namespace sokuri
