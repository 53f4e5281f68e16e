#include "common/appfolder.h"
#include "app/startup.h"

#include "documents/documentlocation.h"
#include "platform/qttranslation.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sokuri"));
    QApplication::setApplicationDisplayName(QStringLiteral("Sokuri"));
    QApplication::setApplicationVersion(QStringLiteral(SOKURI_VERSION_TEXT));
    // Qt's own dialogs in Japanese, like the window.
    sokuri::InstallQtJapaneseTranslation();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sokuri: a Japanese search assistant"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("a Sokuri document (.skr) to open"),
                                 QStringLiteral("[file]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    const QString document =
        files.isEmpty() ? QString()
                        : sokuri::DocumentPathFromArgument(files.first(), QDir::currentPath());

    // An installed program works in the user's own folder; the animation and
    // the help page stay beside the program.
    const QString programDir = QApplication::applicationDirPath();
    const sokuri::AppFolder folder = sokuri::ChooseAppFolder(programDir, sokuri::UserDataHome());
    if (!folder.errorText.isEmpty())
        std::fprintf(stderr, "sokuri: %s\n", qPrintable(folder.errorText));

    sokuri::StartUp startUp;
    // The window's own message boxes, file dialogs and the desktop browser.
    switch (startUp.start({folder.path, programDir, {}, {}}, document)) {
    case sokuri::StartUp::Outcome::HandedOver:
        return 0;
    case sokuri::StartUp::Outcome::SettingsMissing:
        return 1;
    case sokuri::StartUp::Outcome::Running:
        break;
    }
    return app.exec();
}
