#pragma once

#include <QString>

namespace sokuri {

// The file that an installation puts beside the program: its folder is
// shared by every user and holds only the installed copies.
inline constexpr char16_t InstalledMarker[] = u"sokuri-installed";

// In the per-user folder: the installed plugin files it has been given, one
// file name a line.
inline constexpr char16_t OfferedPluginsList[] = u"offered-plugins.txt";

// Where the program keeps its settings, plugins and scratch files.
struct AppFolder
{
    QString path;         // the application folder (AppPath)
    bool madeNow = false; // the per-user folder was made by this call
    QString errorText;    // why the per-user folder could not be made
};

// Chooses the application folder of a program in programDir. A portable
// folder (the build's app folder, or a copied one) is its own application
// folder. An installed folder (it holds the installed marker) or one that
// cannot be written is shared: each user then works in a folder of their
// own, dataHome + "/sokuri", made on first use from copies of the installed
// sokuri.ini, chasen.sh and plugins; what is already there is never
// overwritten, so the user's changes stay. Every start adds the installed
// plugin files the user's folder has not been given yet (a newer installation
// brings new engines); a plugin file the user deleted is not brought back.
// When that folder cannot be made, errorText says so and the installed folder
// is used.
AppFolder ChooseAppFolder(const QString& programDir, const QString& dataHome);

// The user's data folder: $XDG_DATA_HOME, else $HOME/.local/share.
QString UserDataHome();

} // namespace sokuri
