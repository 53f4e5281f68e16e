#include "cli/runcli.h"

#include "cli/commands.h"

#include <QCommandLineParser>

#include <functional>
#include <map>

namespace sokuri::cli {

namespace {

const char* const UsageText = "usage: sokuri-cli [--app-dir DIR] COMMAND ...\n"
                              "commands:\n"
                              "  settings    the analyser settings read from sokuri.ini\n"
                              "  plugins     the installed plugins: name, url and version,\n"
                              "              and a resting one's cause and end\n"
                              "  analyse     the keywords that sentence mode finds in a text\n"
                              "  show        a document file (.skr) as JSON\n"
                              "  update      the plugin update pass\n"
                              "  plugin      install FILE-OR-URL [--replace], remove NAME,\n"
                              "              import-opensearch FILE-OR-URL [--replace],\n"
                              "              resume NAME|--all (ask a resting engine again)\n"
                              "  search      one search run over the chosen plugins\n"
                              "options:\n"
                              "  --app-dir DIR   the application folder to work in\n"
                              "  -h, --help      this usage; after a command, the command's own\n"
                              "  --version       the program's version\n"
                              "exit status: 0 done, 1 failed, 2 wrong usage, 3 a search whose\n"
                              "  every engine failed (the causes on standard error)\n";

using Command = std::function<int(const CliContext&)>;

const std::map<QString, Command>& commands()
{
    static const std::map<QString, Command> table = {
        {QStringLiteral("settings"), SettingsCommand}, {QStringLiteral("plugins"), PluginsCommand},
        {QStringLiteral("analyse"), AnalyseCommand},   {QStringLiteral("search"), SearchCommand},
        {QStringLiteral("show"), ShowCommand},         {QStringLiteral("update"), UpdateCommand},
        {QStringLiteral("plugin"), PluginCommand},
    };
    return table;
}

} // namespace

int RunCli(const QStringList& arguments, const std::function<QString()>& chooseAppDir,
           QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption appDir(QStringLiteral("app-dir"),
                                    QStringLiteral("The application folder to work in."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows the usage."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Shows the version."));
    parser.addOption(appDir);
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(arguments)) {
        err << "sokuri-cli: " << parser.errorText() << Qt::endl << UsageText;
        err.flush();
        return Usage;
    }
    if (parser.isSet(help)) {
        out << UsageText;
        out.flush();
        return Done;
    }
    if (parser.isSet(version)) {
        out << "sokuri-cli " << SOKURI_VERSION_TEXT << '\n';
        out.flush();
        return Done;
    }
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) {
        err << "sokuri-cli: no command given" << Qt::endl << UsageText;
        err.flush();
        return Usage;
    }
    const auto command = commands().find(rest.first());
    if (command == commands().end()) {
        err << "sokuri-cli: unknown command " << rest.first() << Qt::endl << UsageText;
        err.flush();
        return Usage;
    }

    // The command's own parser sees its name first, as a program name.
    bool helpShown = false;
    const CliContext context{
        ResolveAppPaths(parser.isSet(appDir) ? parser.value(appDir) : chooseAppDir()), rest, out,
        err, &helpShown};
    const int status = command->second(context);
    out.flush();
    err.flush();
    return helpShown ? Done : status;
}

} // namespace sokuri::cli
