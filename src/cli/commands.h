#pragma once

#include "cli/clicontext.h"

namespace sokuri::cli {

// settings: the analyser settings read from sokuri.ini, one "key=value" line
// each.
int SettingsCommand(const CliContext& context);

// plugins: the plugin catalogue in list order, "name TAB url TAB version" a
// line.
int PluginsCommand(const CliContext& context);

} // namespace sokuri::cli
