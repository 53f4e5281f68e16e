#include "cli/restcommands.h"

#include "retrieval/enginerests.h"
#include "searchplugins/plugincatalogue.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace sokuri::cli {

namespace {

const QString ResumeUsage = u"plugin resume NAME | plugin resume --all"_s;

} // namespace

QString RestFields(const EngineRest& rest)
{
    // Only a resting line has these fields, so readers of the first three
    // fields see what they always saw.
    return u"\t一時停止中\t"_s + rest.cause + u'\t' + rest.until.toUTC().toString(Qt::ISODate);
}

int ResumeCommand(const CliContext& context)
{
    QCommandLineParser parser;
    const QCommandLineOption all(u"all"_s, u"Resume every resting plugin."_s);
    parser.addOption(all);
    if (!parseCommand(context, parser, ResumeUsage, 0, 1))
        return Usage;
    const QStringList arguments = parser.positionalArguments();
    if (parser.isSet(all) == (arguments.size() == 1)) {
        printUsageError(context, u"resume takes one plugin NAME or --all"_s, ResumeUsage);
        return Usage;
    }

    const EngineRests rests(context.paths);
    QString error;
    if (parser.isSet(all)) {
        const QStringList resumed = rests.resumeAll(&error);
        if (!error.isEmpty()) {
            context.err << error << Qt::endl;
            return Failed;
        }
        for (const QString& name : resumed)
            context.out << name << '\n';
        return Done;
    }

    const QString& name = arguments[0];
    PluginCatalogue catalogue;
    catalogue.load(context.paths);
    const QList<CatalogueEntry>& entries = catalogue.entries();
    const bool known =
        std::any_of(entries.begin(), entries.end(),
                    [&name](const CatalogueEntry& entry) { return entry.text == name; });
    bool rested = false;
    if (!rests.resume(name, &rested, &error)) {
        context.err << error << Qt::endl;
        return Failed;
    }
    if (rested) {
        context.out << name << '\n';
        return Done;
    }
    if (!known) {
        context.err << "sokuri-cli: " << name << u" というプラグインがありません。"_s << Qt::endl;
        return Failed;
    }
    // An engine that does not rest is asked anyway: nothing to do.
    context.err << name << u" は一時停止していません。"_s << Qt::endl;
    return Done;
}

} // namespace sokuri::cli
