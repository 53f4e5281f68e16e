#pragma once

#include "common/appstate.h"
#include "searchplugins/catalogueentry.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace sokuri {

// Reads the plugin folder: every file (not folder) whose name contains
// ".ini", letter case counting, anywhere in the name, that names a plugin
// with a non-empty name and url. Entries come unchecked, in file-name order.
QList<CatalogueEntry> ReadPluginFolder(const QString& pluginPath);

// True when a plugin's name can stand in a file name: no "/", "\", ".." and
// no control character, so every path formed from it stays in the plugin
// folder. Other names are not listed.
bool IsSafePluginName(QStringView name);

// The file of the plugin with the given name.
QString PluginFilePath(const AppPaths& paths, const QString& name);

} // namespace sokuri
