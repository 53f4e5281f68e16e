#include "cli/commands.h"

#include "analysis/keywords.h"
#include "analysis/sentenceanalyser.h"
#include "cli/streammessages.h"
#include "common/settings.h"

#include <QEventLoop>

namespace sokuri::cli {

namespace {

bool analysisOver(int state)
{
    return state == SentenceAnalyser::Idle || state == SentenceAnalyser::Failed;
}

} // namespace

int AnalyseCommand(const CliContext& context)
{
    const QString usage = QStringLiteral("analyse [--all] TEXT");
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("The sentence."));
    const QCommandLineOption all(
        QStringLiteral("all"),
        QStringLiteral("Every keyword of the keyword classes, one morpheme each, as the "
                       "keyword rule alone gives them (the [keywords] settings are not used)."));
    parser.addOption(all);
    if (!parseCommand(context, parser, usage, 1, 1))
        return Usage;

    ChasenSettings settings;
    UserMessage message;
    if (!LoadSettings(context.paths, settings, &message)) {
        context.err << message.text << Qt::endl;
        return Failed;
    }

    StreamMessages messages(context.err);
    SentenceAnalyser analyser(messages);
    if (parser.isSet(all))
        analyser.setKeywordSettings({});
    KeywordList keywords;
    analyser.AnalyseText(parser.positionalArguments().first(), settings, context.paths, keywords);
    if (!analysisOver(analyser.state())) {
        QEventLoop loop;
        QObject::connect(&analyser, &SentenceAnalyser::stateChanged, &loop, [&loop](int state) {
            if (analysisOver(state))
                loop.quit();
        });
        loop.exec();
    }

    if (analyser.state() == SentenceAnalyser::Failed) {
        context.err << QStringLiteral("茶筅サーバーに接続出来ません。") << Qt::endl;
        return Failed;
    }
    for (const QString& word : keywords.words())
        context.out << word << '\n';
    context.out.flush();
    return messages.failed() ? Failed : Done;
}

} // namespace sokuri::cli
