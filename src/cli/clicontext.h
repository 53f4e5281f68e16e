#pragma once

#include "common/appstate.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace sokuri::cli {

enum ExitCode : int {
    Done = 0,             // the command did its work
    Failed = 1,           // the command failed; the reason is on standard error
    Usage = 2,            // the command line was wrong
    NoEngineAnswered = 3, // search: every engine asked failed; the causes on standard error
};

// What every command gets: the application folder it works in, its own
// arguments (the command name first), and the two output streams. Standard
// output holds only the result; messages and progress go to the error stream.
struct CliContext
{
    AppPaths paths;
    QStringList arguments;
    QTextStream& out;
    QTextStream& err;
    // Set when the command was asked for its usage ("--help") and printed it
    // instead of doing its work.
    bool* helpShown = nullptr;
};

// Parses the command's own arguments with parser and checks that between
// minArguments and maxArguments positional arguments follow the command. On a
// usage error it prints the reason and the command's usage line and returns
// false. Asked for "--help" (or "-h"), it prints the usage line and the
// options on standard output, sets context.helpShown and returns false.
bool parseCommand(const CliContext& context, QCommandLineParser& parser, const QString& usage,
                  int minArguments = 0, int maxArguments = 0);

// Prints a usage error with the command's usage line.
void printUsageError(const CliContext& context, const QString& reason, const QString& usage);

} // namespace sokuri::cli
