#include "analyseroutput.h"

#include <QFileInfo>

namespace sokuri::chasenserver {

namespace {

const QString CodedOption = QStringLiteral("-c");

// ChaSen's own names instead of its numbers: word, reading, base, the full
// part-of-speech name as ChaSen prints it (未知語 for a word its dictionary
// does not know) and the conjugation's numbers, by tabs.
const QString ChasenFormat = QStringLiteral("%m\\t%y\\t%M\\t%U(%P-)\\t%t %f\\n");

// A long text stays one line for MeCab (its default buffer is 8 KB).
const QString MecabBuffer = QStringLiteral("4194304");

QByteArray codedLine(const QString& word, const QString& reading, const QString& base,
                     const QString& partOfSpeech, const QString& conjugation)
{
    const QString line = word + u'\t' + reading + u'\t' + base + u'\t' +
                         AnalyserOutput::classCode(partOfSpeech) + u' ' + conjugation;
    return line.toUtf8();
}

} // namespace

AnalyserOutput::AnalyserOutput(const QString& program, const QStringList& clientOptions)
    : m_mecab(QFileInfo(program).fileName().contains(u"mecab", Qt::CaseInsensitive))
    , m_coded(clientOptions.contains(CodedOption))
    , m_clientOptions(clientOptions)
{}

QStringList AnalyserOutput::arguments() const
{
    if (m_mecab)
        return {QStringLiteral("-b"), MecabBuffer};
    if (!m_coded)
        return m_clientOptions;
    QStringList arguments = {QStringLiteral("-F"), ChasenFormat};
    for (const QString& option : m_clientOptions) {
        if (option != CodedOption)
            arguments.append(option);
    }
    return arguments;
}

int AnalyserOutput::keywordClass(const QString& partOfSpeech)
{
    if (partOfSpeech == u"名詞-一般")
        return 2;
    if (partOfSpeech == u"名詞-固有名詞" || partOfSpeech.startsWith(u"名詞-固有名詞-"))
        return 3;
    if (partOfSpeech == u"名詞-サ変接続")
        return 6;
    return 0;
}

QString AnalyserOutput::classCode(const QString& partOfSpeech)
{
    if (const int keyword = keywordClass(partOfSpeech))
        return QString::number(keyword);
    static const QStringList suffixes = {
        QStringLiteral("名詞-接尾-一般"),   QStringLiteral("名詞-接尾-サ変接続"),
        QStringLiteral("名詞-接尾-地域"),   QStringLiteral("名詞-接尾-人名"),
        QStringLiteral("名詞-接尾-助数詞"), QStringLiteral("名詞-接尾-形容動詞語幹")};
    if (partOfSpeech == u"接頭詞-名詞接続" || partOfSpeech == u"接頭詞-数接続")
        return QStringLiteral("p");
    if (suffixes.contains(partOfSpeech))
        return QStringLiteral("s");
    if (partOfSpeech == u"名詞-形容動詞語幹")
        return QStringLiteral("a");
    if (partOfSpeech == u"名詞-数")
        return QStringLiteral("n");
    if (partOfSpeech == u"未知語")
        return QStringLiteral("u");
    if (partOfSpeech == u"記号" || partOfSpeech.startsWith(u"記号-"))
        return QStringLiteral("y");
    return QStringLiteral("0");
}

QByteArray AnalyserOutput::clientLine(const QByteArray& line) const
{
    const QString text = QString::fromUtf8(line);
    const QStringList fields = text.split(u'\t');
    if (m_mecab) {
        // WORD TAB the features by commas: four levels of class, conjugation
        // type and form, base, reading, pronunciation (an unknown word has
        // no reading).
        if (fields.size() != 2)
            return line;
        const QStringList features = fields[1].split(u',');
        QString partOfSpeech = features[0];
        for (qsizetype i = 1; i < 4 && i < features.size(); ++i) {
            if (features[i] != u"*")
                partOfSpeech += u'-' + features[i];
        }
        const auto feature = [&](qsizetype i) {
            return i < features.size() && features[i] != u"*" ? features[i] : fields[0];
        };
        return codedLine(fields[0], feature(7), feature(6), partOfSpeech, QStringLiteral("0 0"));
    }
    if (!m_coded || fields.size() != 5)
        return line;
    return codedLine(fields[0], fields[1], fields[2], fields[3], fields[4]);
}

} // namespace sokuri::chasenserver
