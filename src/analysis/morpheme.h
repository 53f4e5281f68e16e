#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace sokuri {

// What a morpheme can be in a term: the analyser's class code (the fourth
// field of its line), read together with its surface.
enum class MorphemeKind {
    Other,      // "0" and anything else: never part of a term
    CommonNoun, // "2" (名詞-一般)
    ProperNoun, // "3" (名詞-固有名詞 and its kinds)
    VerbalNoun, // "6" (名詞-サ変接続)
    Prefix,     // "p" (接頭詞-名詞接続, 接頭詞-数接続)
    Suffix, // "s" (名詞-接尾-一般, -サ変接続, -地域, -人名, -助数詞, -形容動詞語幹)
    AdjectivalStem, // "a" (名詞-形容動詞語幹)
    Number,         // "n" (名詞-数)
    Unknown,        // "u" (a word the dictionary does not know: 未知語)
    Symbol,         // "y" (記号), and any surface of punctuation, brackets or blanks
    Latin,          // a surface of Latin letters (and digits), whatever its code
};

struct Morpheme
{
    QString word;
    MorphemeKind kind = MorphemeKind::Other;
    // Written right after the morpheme before it, with nothing between them
    // in the text (no blank, no line break): only such neighbours join.
    bool glued = true;
    int sentence = 0; // 0 for the first sentence of the text

    friend bool operator==(const Morpheme&, const Morpheme&) = default;
};

using MorphemeList = QList<Morpheme>;

// The class codes this program's command file and server tool write in the
// fourth field beside the keyword classes "2", "3" and "6".
namespace morphemecode {
inline constexpr char16_t Other = u'0';
inline constexpr char16_t Prefix = u'p';
inline constexpr char16_t Suffix = u's';
inline constexpr char16_t AdjectivalStem = u'a';
inline constexpr char16_t Number = u'n';
inline constexpr char16_t Unknown = u'u';
inline constexpr char16_t Symbol = u'y';
} // namespace morphemecode

// The word and the class of one analyser line, split as AddKeywordLine
// splits it; nothing for "EOS" and lines without a word.
std::optional<Morpheme> ParseMorphemeLine(QStringView line);

// Whether every line carries only codes this program's command file and
// server tool write ("0", "2", "3", "6" and the letters above). A server
// that sends a dictionary's own numbers does not, and its lines are given
// the keyword rule alone.
bool HasOwnClassCodes(const QStringList& lines);

// The morphemes of the analyser lines of text, each marked glued or not and
// given its sentence (a sentence ends at 。！？ and at a line break) by
// finding its surface in text. A surface the analyser changed (a widened
// katakana) is taken as glued.
MorphemeList MorphemesOf(const QStringList& lines, QStringView text);

// Surfaces that never join: every character a blank, punctuation or symbol.
bool IsPunctuationWord(QStringView word);
// Surfaces of Latin letters, ASCII or full-width, with digits among them.
bool IsLatinWord(QStringView word);
// Surfaces of digits only, ASCII or full-width.
bool IsDigitWord(QStringView word);

} // namespace sokuri
