#include "cli/clicontext.h"

namespace sokuri::cli {

void printUsageError(const CliContext& context, const QString& reason, const QString& usage)
{
    context.err << "sokuri-cli: " << reason << Qt::endl
                << "usage: sokuri-cli " << usage << Qt::endl;
}

bool parseCommand(const CliContext& context, QCommandLineParser& parser, const QString& usage,
                  int minArguments, int maxArguments)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this usage."));
    parser.addOption(help);
    if (parser.parse(context.arguments) && parser.isSet(help)) {
        context.out << "usage: sokuri-cli " << usage << '\n';
        // Qt's own help text lists the options after its own usage line.
        const QString text = parser.helpText();
        const qsizetype options = text.indexOf(QStringLiteral("Options:"));
        if (options >= 0)
            context.out << '\n' << text.sliced(options);
        if (context.helpShown)
            *context.helpShown = true;
        return false;
    }
    if (!parser.parse(context.arguments)) {
        printUsageError(context, parser.errorText(), usage);
        return false;
    }
    // The command's own name stands first, where the parser expects the
    // program's name, so the positional arguments are the command's.
    const qsizetype count = parser.positionalArguments().size();
    if (count < minArguments || count > maxArguments) {
        printUsageError(context,
                        count < minArguments ? QStringLiteral("too few arguments")
                                             : QStringLiteral("too many arguments"),
                        usage);
        return false;
    }
    return true;
}

} // namespace sokuri::cli
