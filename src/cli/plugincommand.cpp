#include "cli/commands.h"

#include "cli/pluginkeytest.h"
#include "cli/restcommands.h"
#include "common/settings.h"

#include "searchplugins/plugininstaller.h"
#include "searchplugins/pluginstore.h"

#include <QEventLoop>

using namespace Qt::StringLiterals;

namespace sokuri::cli {

namespace {

const QString UsageLine = u"plugin install FILE-OR-URL [--replace] | plugin remove NAME | "
                          u"plugin import-opensearch FILE-OR-URL [--replace] | "
                          u"plugin resume NAME|--all | "
                          u"plugin key NAME VALUE|-|--clear | "
                          u"plugin test NAME...|--all [--timeout SECONDS]"_s;

// Installs from source and prints the plugin's name.
int installPlugin(const CliContext& context, const QString& source, bool replace, bool openSearch)
{
    PluginInstaller installer(context.paths, nullptr);
    installer.setConfirmReplace([replace](const QString&) { return replace; });
    PluginInstallResult result;
    QEventLoop loop;
    QObject::connect(&installer, &PluginInstaller::finished, &loop,
                     [&loop, &result](const PluginInstallResult& outcome) {
                         result = outcome;
                         loop.quit();
                     });
    if (openSearch)
        installer.importOpenSearch(source);
    else
        installer.install(source);
    loop.exec();
    if (!result.installed) {
        context.err << result.errorText;
        if (!result.name.isEmpty() && !replace && result.errorText.contains(u"既にあります"))
            context.err << u" (--replace で置き換えます)"_s;
        context.err << Qt::endl;
        return Failed;
    }
    context.out << result.name << '\n';
    return Done;
}

} // namespace

int PluginCommand(const CliContext& context)
{
    if (context.arguments.value(1) == u"resume")
        return ResumeCommand(CliContext{context.paths, context.arguments.mid(1), context.out,
                                        context.err, context.helpShown});
    QCommandLineParser parser;
    const QCommandLineOption replace(u"replace"_s,
                                     u"Replaces an installed plugin of the same name."_s);
    const QCommandLineOption clear(u"clear"_s, u"plugin key: removes the plugin's key."_s);
    const QCommandLineOption all(u"all"_s, u"plugin test: tests every plugin."_s);
    const QCommandLineOption timeout(
        u"timeout"_s, u"plugin test: seconds an engine has for its answer."_s, u"SECONDS"_s);
    parser.addOptions({replace, clear, all, timeout});
    if (!parseCommand(context, parser, UsageLine, 1, 1000))
        return cli::Usage;
    const QStringList arguments = parser.positionalArguments();
    const QString& action = arguments[0];
    const bool onlyReplace = !parser.isSet(clear) && !parser.isSet(all) && !parser.isSet(timeout);
    if (action == u"key") {
        const bool clearing = parser.isSet(clear);
        if (parser.isSet(replace) || parser.isSet(all) || parser.isSet(timeout) ||
            arguments.size() != (clearing ? 2 : 3)) {
            printUsageError(context, u"plugin key NAME VALUE, or plugin key NAME --clear"_s,
                            UsageLine);
            return cli::Usage;
        }
        return PluginKey(context, arguments[1], clearing ? QString() : arguments[2], clearing);
    }
    if (action == u"test") {
        const QStringList names = arguments.mid(1);
        const int seconds = ParseTimeoutSeconds(parser.value(timeout));
        if (parser.isSet(replace) || parser.isSet(clear) || names.isEmpty() == !parser.isSet(all) ||
            (parser.isSet(timeout) && seconds == 0)) {
            printUsageError(context, u"plugin test NAME... or plugin test --all"_s, UsageLine);
            return cli::Usage;
        }
        return PluginTest(context, names, parser.isSet(all), seconds);
    }
    if (arguments.size() != 2 || !onlyReplace) {
        printUsageError(context, u"wrong arguments for plugin "_s + action, UsageLine);
        return cli::Usage;
    }
    if (action == u"remove") {
        if (parser.isSet(replace)) {
            printUsageError(context, u"--replace belongs to install and import-opensearch"_s,
                            UsageLine);
            return cli::Usage;
        }
        QString error;
        if (!RemovePlugin(context.paths, arguments[1], &error)) {
            context.err << error << Qt::endl;
            return Failed;
        }
        return Done;
    }
    if (action == u"install" || action == u"import-opensearch")
        return installPlugin(context, arguments[1], parser.isSet(replace),
                             action == u"import-opensearch");
    printUsageError(context, u"unknown plugin command "_s + action, UsageLine);
    return cli::Usage;
}

} // namespace sokuri::cli
