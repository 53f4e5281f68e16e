#pragma once

#include "common/appstate.h"

#include <QString>

namespace sokuri {

// The user's own keys for the engines that take one (an application id, a
// token): one file in the application folder, which is the user's own
// folder, apart from the plugin files (an update replaces those) and from
// documents. Only the user can read it. Plugin names and keys are stored
// percent-encoded, so no name or key can break the file's lines.
QString UserKeysPath(const AppPaths& paths);

// The key the user set for the plugin named plugin; empty when none is set.
QString LoadUserKey(const AppPaths& paths, const QString& plugin);

// Sets the plugin's key; an empty key removes it. Returns false with the
// reason when the file cannot be written.
bool SaveUserKey(const AppPaths& paths, const QString& plugin, const QString& key,
                 QString* errorText = nullptr);

} // namespace sokuri
