#include "cli/commands.h"

#include "searchplugins/plugincatalogue.h"

namespace sokuri::cli {

int PluginsCommand(const CliContext& context)
{
    QCommandLineParser parser;
    if (!parseCommand(context, parser, QStringLiteral("plugins")))
        return Usage;
    PluginCatalogue catalogue;
    catalogue.load(context.paths);
    for (const CatalogueEntry& entry : catalogue.entries())
        context.out << entry.text << '\t' << entry.url << '\t' << entry.version << '\n';
    return Done;
}

} // namespace sokuri::cli
