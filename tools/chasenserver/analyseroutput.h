#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sokuri::chasenserver {

// What the server asks of the analyser and how it reads the answer. With the
// option -c a client gets one morpheme a line,
//   WORD TAB READING TAB BASE TAB CLASS CONJUGATION-TYPE CONJUGATION-FORM
// where CLASS is the keyword class found from the analyser's name of the
// part of speech: 2 common noun (名詞-一般), 3 proper noun (名詞-固有名詞 and
// its kinds), 6 verbal noun (名詞-サ変接続), 0 anything else, and for the
// parts of compound terms p prefix, s suffix, a adjectival noun stem, n
// number, u unknown word, y symbol (as data/chasen.sh writes them). So the
// keywords do not depend on how a dictionary numbers its classes. The analyser is
// ChaSen, or MeCab when the program's file name contains "mecab".
class AnalyserOutput
{
public:
    // For one analysis by program with the options the client gave (ChaSen's
    // options; MeCab is always asked for its classes and takes none).
    AnalyserOutput(const QString& program, const QStringList& clientOptions);

    // The program's arguments.
    QStringList arguments() const;
    // One output line of the analyser (UTF-8, without its line end) as the
    // client gets it (UTF-8). Lines of another shape, "EOS" among them, go
    // through as they are.
    QByteArray clientLine(const QByteArray& line) const;

    // The keyword class of a part-of-speech name ("名詞-固有名詞-地域-一般").
    static int keywordClass(const QString& partOfSpeech);
    // The code written for it: the keyword class, or the letter of a part of
    // compound terms, or "0".
    static QString classCode(const QString& partOfSpeech);

private:
    bool m_mecab = false;
    bool m_coded = false; // the client asked for the classes (-c)
    QStringList m_clientOptions;
};

} // namespace sokuri::chasenserver
