#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace sokuri::cli {

// Runs one command line of sokuri-cli (arguments[0] is the program name):
//   sokuri-cli [--app-dir DIR] COMMAND ...
// defaultAppDir is used when --app-dir is not given. Returns the exit status:
// 0 done, 1 the command failed, 2 wrong usage.
int RunCli(const QStringList& arguments, const QString& defaultAppDir, QTextStream& out,
           QTextStream& err);

} // namespace sokuri::cli
