#include "demoengine/terms.h"

using namespace Qt::StringLiterals;

namespace sokuri::demo {

QString NormaliseTerm(QStringView text)
{
    return text.toString().normalized(QString::NormalizationForm_KC).toLower();
}

namespace {

QStringList runTerms(QStringView text, bool everyCharacter)
{
    const QString normalised = NormaliseTerm(text);
    QStringList terms;
    qsizetype runStart = 0;
    const auto endRun = [&](qsizetype end) {
        const qsizetype length = end - runStart;
        for (qsizetype i = runStart; i < end && (everyCharacter || length == 1); ++i)
            terms.append(normalised.sliced(i, 1));
        for (qsizetype i = runStart; i + 1 < end; ++i)
            terms.append(normalised.sliced(i, 2));
    };
    for (qsizetype i = 0; i < normalised.size(); ++i) {
        if (!normalised[i].isLetterOrNumber()) {
            endRun(i);
            runStart = i + 1;
        }
    }
    endRun(normalised.size());
    return terms;
}

} // namespace

QStringList BigramTerms(QStringView text)
{
    return runTerms(text, false);
}

QStringList DocumentBigramTerms(QStringView text)
{
    return runTerms(text, true);
}

QList<QStringList> ChasenNouns(QStringView output)
{
    QList<QStringList> sentences;
    QStringList nouns;
    for (QStringView line : output.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line == u"EOS") {
            sentences.append(nouns);
            nouns.clear();
            continue;
        }
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() >= 4 && fields[3].startsWith(u"名詞") && !fields[0].isEmpty())
            nouns.append(NormaliseTerm(fields[0]));
    }
    return sentences;
}

QStringList QueryKeywords(QStringView query)
{
    QStringList keywords;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= query.size() && keywords.size() < MaxKeywords; ++i) {
        const bool separator = i == query.size() || query[i] == u' ' || query[i] == u'\u3000' ||
                               query[i] == u'\t' || query[i] == u'\r' || query[i] == u'\n' ||
                               query[i] == u'+';
        if (!separator)
            continue;
        if (i > start)
            keywords.append(query.sliced(start, i - start).toString());
        start = i + 1;
    }
    return keywords;
}

} // namespace sokuri::demo
