#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

namespace sokuri::cli {

// Runs one command line of sokuri-cli (arguments[0] is the program name):
//   sokuri-cli [--app-dir DIR] COMMAND ...
// chooseAppDir gives the application folder when --app-dir is not given; it
// is only called then, so a folder named on the command line is the only one
// touched. Returns the exit status: 0 done, 1 the command failed, 2 wrong
// usage.
int RunCli(const QStringList& arguments, const std::function<QString()>& chooseAppDir,
           QTextStream& out, QTextStream& err);

// The same with a fixed default folder.
inline int RunCli(const QStringList& arguments, const QString& defaultAppDir, QTextStream& out,
                  QTextStream& err)
{
    return RunCli(
        arguments, [&defaultAppDir] { return defaultAppDir; }, out, err);
}

} // namespace sokuri::cli
