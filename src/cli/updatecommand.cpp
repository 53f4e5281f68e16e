#include "cli/commands.h"

#include "cli/interruptwatcher.h"
#include "cli/streammessages.h"
#include "searchplugins/plugincatalogue.h"
#include "searchplugins/pluginupdater.h"

#include <QEventLoop>

#include <array>

using namespace Qt::StringLiterals;

namespace sokuri::cli {

namespace {

// One line a plugin: entry TAB outcome TAB detail.
QString describe(const PluginUpdateOutcome& outcome)
{
    switch (outcome.kind) {
    case PluginUpdateOutcome::Updated:
        return u"updated\t"_s + outcome.installedVersion + u" -> " + outcome.downloadedVersion;
    case PluginUpdateOutcome::Unchanged:
        return u"unchanged\t"_s + (outcome.downloadedVersion.isEmpty() ? u"no version in the copy"_s
                                                                       : outcome.downloadedVersion);
    case PluginUpdateOutcome::Skipped:
        return u"skipped\tno update address"_s;
    case PluginUpdateOutcome::Failed:
        return u"failed\t"_s + outcome.reason;
    case PluginUpdateOutcome::Stopped:
        return u"stopped\t"_s;
    }
    return {};
}

} // namespace

int UpdateCommand(const CliContext& context)
{
    QCommandLineParser parser;
    if (!parseCommand(context, parser, u"update"_s))
        return Usage;

    PluginCatalogue catalogue;
    catalogue.load(context.paths);
    StreamMessages messages(context.err);
    PluginUpdater updater(context.paths, catalogue, messages);

    std::array<int, 5> counts{};
    QObject::connect(&updater, &PluginUpdater::statusChanged, &updater,
                     [&context](const QString& text) { context.err << text << Qt::endl; });
    QObject::connect(&updater, &PluginUpdater::pluginFinished, &updater,
                     [&context, &counts](const PluginUpdateOutcome& outcome) {
                         ++counts[std::size_t(outcome.kind)];
                         context.out << outcome.entry << '\t' << describe(outcome) << Qt::endl;
                     });
    InterruptWatcher interrupt;
    QObject::connect(&interrupt, &InterruptWatcher::interrupted, &updater, [&updater, &context] {
        context.err << "中止します。" << Qt::endl;
        updater.stop();
    });

    QEventLoop loop;
    bool stopped = false;
    QObject::connect(&updater, &PluginUpdater::finished, &loop, [&loop, &stopped](bool byStop) {
        stopped = byStop;
        loop.quit();
    });
    updater.start();
    loop.exec();

    context.out << "summary: " << counts[PluginUpdateOutcome::Updated] << " updated, "
                << counts[PluginUpdateOutcome::Unchanged] << " unchanged, "
                << counts[PluginUpdateOutcome::Skipped] << " skipped, "
                << counts[PluginUpdateOutcome::Failed] << " failed";
    if (stopped)
        context.out << ", stopped";
    context.out << '\n';
    return messages.failed() ? Failed : Done;
}

} // namespace sokuri::cli
