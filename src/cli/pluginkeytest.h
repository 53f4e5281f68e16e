#pragma once

#include "cli/clicontext.h"

#include <QStringList>

namespace sokuri::cli {

// plugin key NAME VALUE|-|--clear: sets (VALUE, or "-" for a line read from
// standard input) or removes the user's own key for a plugin that declares
// one. The key is never printed.
int PluginKey(const CliContext& context, const QString& plugin, const QString& value, bool clear);

// plugin test NAME...|--all: each plugin's self-test report, then a summary
// line; Done only when every plugin tested gave rows.
int PluginTest(const CliContext& context, const QStringList& plugins, bool all, int timeout);

} // namespace sokuri::cli
