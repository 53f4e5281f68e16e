#include "cli/commands.h"

#include "cli/restcommands.h"
#include "retrieval/enginerests.h"

#include "searchplugins/plugincatalogue.h"

namespace sokuri::cli {

int PluginsCommand(const CliContext& context)
{
    QCommandLineParser parser;
    if (!parseCommand(context, parser, QStringLiteral("plugins")))
        return Usage;
    PluginCatalogue catalogue;
    catalogue.load(context.paths);
    const RestTable resting = EngineRests(context.paths).resting();
    for (const CatalogueEntry& entry : catalogue.entries()) {
        context.out << entry.text << '\t' << entry.url << '\t' << entry.version;
        if (const auto rest = resting.constFind(entry.text); rest != resting.cend())
            context.out << RestFields(*rest);
        context.out << '\n';
    }
    return Done;
}

} // namespace sokuri::cli
