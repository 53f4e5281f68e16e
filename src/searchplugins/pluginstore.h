#pragma once

#include "common/appstate.h"

#include <QByteArray>
#include <QString>

namespace sokuri {

class MessageSink;
class PluginCatalogue;

// The file that holds the plugin of that name: <name>.ini in the plugin
// folder, or else the first plugin file that declares the name; empty when
// there is none or the name could lead out of the folder.
QString FindPluginFile(const AppPaths& paths, const QString& name);

// Stores a checked plugin file (Shift_JIS bytes) as <name>.ini in the plugin
// folder, whole or not at all. Returns false with the reason.
bool StorePluginFile(const AppPaths& paths, const QString& name, const QByteArray& bytes,
                     QString* errorText);

// Removes the plugin's file: it goes to the desktop's trash where there is
// one and is deleted otherwise. Returns false with the reason.
bool RemovePlugin(const AppPaths& paths, const QString& name, QString* errorText);

// The window's remove command: asks first, removes, reports a failure and
// refreshes the catalogue (keeping the others' check marks). True when the
// plugin was removed.
bool RemovePluginAsked(const AppPaths& paths, PluginCatalogue& catalogue, MessageSink& messages,
                       const QString& name);

} // namespace sokuri
