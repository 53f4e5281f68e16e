#include "cli/commands.h"

#include "common/settings.h"

namespace sokuri::cli {

int SettingsCommand(const CliContext& context)
{
    QCommandLineParser parser;
    if (!parseCommand(context, parser, QStringLiteral("settings")))
        return Usage;

    ChasenSettings settings;
    UserMessage message;
    if (!LoadSettings(context.paths, settings, &message)) {
        context.err << message.text << Qt::endl;
        return Failed;
    }
    context.out << "type=" << settings.type << '\n'
                << "filename=" << settings.filename << '\n'
                << "host=" << settings.host << '\n'
                << "port=" << settings.port << '\n';
    context.out.flush();
    return Done;
}

} // namespace sokuri::cli
