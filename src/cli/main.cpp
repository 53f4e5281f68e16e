#include "cli/runcli.h"
#include "common/appfolder.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sokuri-cli"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    // An installed program works in the user's own folder, made on first use.
    const auto chooseAppDir = [&err] {
        const sokuri::AppFolder folder =
            sokuri::ChooseAppFolder(QCoreApplication::applicationDirPath(), sokuri::UserDataHome());
        if (!folder.errorText.isEmpty())
            err << folder.errorText << Qt::endl;
        return folder.path;
    };
    return sokuri::cli::RunCli(QCoreApplication::arguments(), chooseAppDir, out, err);
}
