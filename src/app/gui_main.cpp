#include "app/startup.h"
#include "common/appfolder.h"

#include "documents/documentlocation.h"
#include "platform/qttranslation.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <string_view>

namespace {

// The program's arguments, as --help shows them.
void DescribeArguments(QCommandLineParser& parser)
{
    QCoreApplication::setApplicationName(QStringLiteral("sokuri"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SOKURI_VERSION_TEXT));
    parser.setApplicationDescription(QStringLiteral("Sokuri: a Japanese search assistant"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("a Sokuri document (.skr) to open"),
                                 QStringLiteral("[file]"));
}

// Whether the arguments ask only for the help or the version, which need no
// display.
bool AsksForHelpOrVersion(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "-h" || argument == "--help" || argument == "-?" ||
            argument == "--help-all" || argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (AsksForHelpOrVersion(argc, argv)) {
        // Answered without a window system: prints and ends the program.
        QCoreApplication app(argc, argv);
        QCommandLineParser parser;
        DescribeArguments(parser);
        parser.process(app);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Sokuri"));
    QCommandLineParser parser;
    DescribeArguments(parser);
    // Qt's own dialogs in Japanese, like the window.
    sokuri::InstallQtJapaneseTranslation();
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
