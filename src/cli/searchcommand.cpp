#include "cli/commands.h"

#include "app/searchedkeywords.h"
#include "app/searchrun.h"
#include "app/systeminfo.h"
#include "cli/interruptwatcher.h"
#include "cli/rowformat.h"
#include "cli/streammessages.h"
#include "common/searchsettings.h"
#include "common/settings.h"
#include "documents/documentstate.h"
#include "retrieval/mergedresults.h"
#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"

#include <QEventLoop>

#include <algorithm>

namespace sokuri::cli {

namespace {

const char* const SearchUsage =
    "search [--keywords | --sentence] [--plugin NAME]... [--category KIND]... [--all] "
    "[--format table|tsv|jsonl|csv] [--save FILE.skr] [--timeout SECONDS] "
    "[--merge] [--ignore-rests] TEXT";

// Whether every engine the run asked failed and none gave a row (an engine
// cut off by its time-out keeps the rows it sent); the causes are then
// written one engine a line.
bool AllEnginesFailed(const CliContext& context, const QList<EngineStatus>& statuses, int rows)
{
    if (statuses.isEmpty() || rows > 0)
        return false;
    for (const EngineStatus& status : statuses) {
        if (status.kind != EngineStatus::Failed && status.kind != EngineStatus::Skipped)
            return false;
    }
    context.err << "sokuri-cli: どのエンジンからも結果が得られませんでした。" << Qt::endl;
    for (const EngineStatus& status : statuses)
        context.err << "  " << status.plugin << ": " << DescribeStatus(status) << Qt::endl;
    return true;
}

} // namespace

int SearchCommand(const CliContext& context)
{
    QCommandLineParser parser;
    // The help names the analyser that sokuri.ini chooses.
    ChasenSettings chosen;
    const bool haveSettings = LoadSettings(context.paths, chosen, nullptr);
    const QCommandLineOption keywords(QStringLiteral("keywords"),
                                      QStringLiteral("Keyword mode (the default)."));
    const QCommandLineOption sentence(
        QStringLiteral("sentence"),
        QStringLiteral("Sentence mode: the analyser of sokuri.ini finds the keywords (") +
            (haveSettings ? AnalyserDescription(chosen) : QStringLiteral("no sokuri.ini")) + u')' +
            u'.');
    const QCommandLineOption category(QStringLiteral("category"),
                                      QStringLiteral("Ask every plugin of this kind, its [init] "
                                                     "category (repeatable)."),
                                      QStringLiteral("KIND"));
    const QCommandLineOption plugin(QStringLiteral("plugin"),
                                    QStringLiteral("Ask this plugin (repeatable)."),
                                    QStringLiteral("NAME"));
    const QCommandLineOption all(QStringLiteral("all"), QStringLiteral("Ask every plugin."));
    const QCommandLineOption format(
        QStringLiteral("format"),
        QStringLiteral("table, tsv, jsonl or csv (as the window's export)."),
        QStringLiteral("FORMAT"), QStringLiteral("table"));
    const QCommandLineOption save(QStringLiteral("save"),
                                  QStringLiteral("Save the search as a document."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Seconds an engine has for its answer, unless its plugin names its own "
                       "(0: none; default: sokuri.ini's search/timeout)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption merge(QStringLiteral("merge"),
                                   QStringLiteral("Show the rows of one page as one row."));
    const QCommandLineOption ignoreRests(
        QStringLiteral("ignore-rests"),
        QStringLiteral("Ask resting engines too (their rests still follow the answers)."));
    parser.addOptions(
        {keywords, sentence, plugin, category, all, format, save, timeout, merge, ignoreRests});
    const QString usage = QString::fromLatin1(SearchUsage);
    if (!parseCommand(context, parser, usage, 1, 1))
        return Usage;
    if (parser.isSet(keywords) && parser.isSet(sentence)) {
        printUsageError(context, QStringLiteral("--keywords and --sentence exclude each other"),
                        usage);
        return Usage;
    }
    RowFormat rowFormat = RowFormat::Table;
    if (!ParseRowFormat(parser.value(format), rowFormat)) {
        printUsageError(context, QStringLiteral("unknown format ") + parser.value(format), usage);
        return Usage;
    }
    if (!parser.isSet(all) && !parser.isSet(plugin) && !parser.isSet(category)) {
        printUsageError(
            context, QStringLiteral("no plugin chosen (--plugin NAME, --category KIND or --all)"),
            usage);
        return Usage;
    }

    int timeoutSeconds = 0;
    if (parser.isSet(timeout)) {
        const QString value = parser.value(timeout);
        timeoutSeconds = ParseTimeoutSeconds(value);
        if (timeoutSeconds == 0 && value.trimmed() != u"0") {
            printUsageError(context, QStringLiteral("--timeout takes whole seconds, not ") + value,
                            usage);
            return Usage;
        }
    }

    ChasenSettings settings;
    UserMessage missing;
    if (!LoadSettings(context.paths, settings, &missing)) {
        context.err << missing.text << Qt::endl;
        return Failed;
    }

    PluginCatalogue catalogue;
    catalogue.load(context.paths);
    if (parser.isSet(all)) {
        for (int row = 0; row < catalogue.count(); ++row)
            catalogue.setChecked(row, true);
    }
    for (const QString& name : parser.values(plugin)) {
        const QStringList before = catalogue.checkedNames();
        catalogue.setCheckedByName(name, true);
        if (catalogue.checkedNames() == before && !before.contains(name)) {
            context.err << "sokuri-cli: " << name << " というプラグインがありません。" << Qt::endl;
            return Failed;
        }
    }

    for (const QString& kind : parser.values(category)) {
        if (!catalogue.categories().contains(kind)) {
            context.err << "sokuri-cli: 「" << kind << "」という種類のプラグインがありません。"
                        << Qt::endl;
            return Failed;
        }
        catalogue.setCheckedByCategory(kind, true);
    }

    ResultsModel results;
    StreamMessages messages(context.err);
    SearchRun run(context.paths, catalogue, results, messages);
    run.setChasenSettings(settings);
    run.setIgnoreRests(parser.isSet(ignoreRests));
    run.setSearchSettings(LoadSearchSettings(context.paths));
    run.setDefaultTimeout(parser.isSet(timeout) ? timeoutSeconds
                                                : LoadSearchTimeout(context.paths));
    QObject::connect(&run, &SearchRun::engineStatusChanged, &run,
                     [&context](int, const EngineStatus& status) {
                         context.err << status.plugin << ": " << DescribeStatus(status) << Qt::endl;
                     });
    InterruptWatcher interrupt;
    QObject::connect(&interrupt, &InterruptWatcher::interrupted, &run, [&run, &context] {
        context.err << "中止します。" << Qt::endl;
        run.stop();
    });

    QEventLoop loop;
    QObject::connect(&run, &SearchRun::finished, &loop, &QEventLoop::quit);
    const InputMode mode = parser.isSet(sentence) ? InputMode::Sentence : InputMode::Keywords;
    QString text = parser.positionalArguments().constFirst();
    QObject::connect(&run, &SearchRun::started, &run,
                     [&text](const QString& trimmed) { text = trimmed; });
    if (mode == InputMode::Sentence) {
        QObject::connect(&run, &SearchRun::keywordsChosen, &run,
                         [&context](const QStringList& words) {
                             context.err << SearchedKeywordsText(words) << Qt::endl;
                         });
    }
    run.start(mode, text);
    if (run.isRunning())
        loop.exec();
    // A run with resting engines names them at its end.
    const QList<EngineStatus>& statuses = run.engineStatuses();
    if (std::any_of(statuses.begin(), statuses.end(), [](const EngineStatus& status) {
            return status.kind == EngineStatus::Resting;
        }))
        context.err << DescribeRunEnd(statuses, int(results.rows().size())) << Qt::endl;

    if (parser.isSet(merge)) {
        const MergedResultsModel merged(results);
        QList<ResultRow> rows;
        for (int row = 0; row < merged.rowCount(); ++row)
            rows.append(merged.rowAt(row));
        WriteRows(context.out, rows, rowFormat);
    } else {
        WriteRows(context.out, results.rows(), rowFormat);
    }
    if (parser.isSet(save)) {
        QString error;
        if (!SaveDocument(parser.value(save), InputState{text, mode}, catalogue, results, &error)) {
            context.err << error << Qt::endl;
            return Failed;
        }
    }
    if (messages.failed())
        return Failed;
    return AllEnginesFailed(context, run.engineStatuses(), results.rowCount()) ? NoEngineAnswered
                                                                               : Done;
}

} // namespace sokuri::cli
