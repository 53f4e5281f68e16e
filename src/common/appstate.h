#pragma once

#include <QString>

namespace sokuri {

// The program's folders, resolved once at start-up from the application
// folder and never changed afterwards. Every core entry point takes them as a
// parameter, so tests and the command line can point anywhere.
struct AppPaths
{
    QString AppPath;    // the application folder, no trailing "/"
    QString PluginPath; // AppPath + "/plugins"
    QString TmpPath;    // AppPath + "/tmp"
    QString IniPath;    // AppPath + "/sokuri.ini"
    QString HelpPath;   // the help page opened by F1
};

// What the list views need of the system, taken once at start-up.
struct ListMetrics
{
    int ScrollBarWidth = 0; // twips
    int ColumnMargin = 60;  // twips
};

struct AppState
{
    AppPaths paths;
    ListMetrics metrics;
};

// Resolves the folders of the application folder appDir and creates its
// "plugins" and "tmp" folders when they are missing (each one level deep,
// nothing else). scrollBarWidthTwips is the system's vertical scroll-bar width;
// it is rounded to whole twips, halves to even. When a folder cannot be made,
// errorText names it and the state is returned all the same: the folders are
// only needed by the commands that use them.
AppState InitAppState(const QString& appDir, double scrollBarWidthTwips = 0.0,
                      QString* errorText = nullptr);

// The paths alone, without touching the disk.
AppPaths ResolveAppPaths(const QString& appDir);

} // namespace sokuri
