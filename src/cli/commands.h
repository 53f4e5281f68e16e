#pragma once

#include "cli/clicontext.h"

namespace sokuri::cli {

// settings: the analyser settings read from sokuri.ini, one "key=value" line
// each.
int SettingsCommand(const CliContext& context);

// plugins: the plugin catalogue in list order, "name TAB url TAB version" a
// line; a resting engine's line goes on with its rest (RestFields).
int PluginsCommand(const CliContext& context);

// analyse: the keywords that sentence-mode analysis finds in TEXT, one a line.
int AnalyseCommand(const CliContext& context);

// search: one search run; the result rows on standard output, progress on
// standard error, Ctrl+C as Stop.
int SearchCommand(const CliContext& context);

// show: a document file as one JSON object: "version", "text", "mode",
// "plugins" ({"name", "checked"} in file order) and "rows" (the jsonl keys).
int ShowCommand(const CliContext& context);

// plugin install FILE-OR-URL [--replace], plugin remove NAME, plugin
// import-opensearch FILE-OR-URL [--replace]: installs a plugin file, removes
// a plugin, or makes a plugin from an OpenSearch description; install and
// import print the plugin's name; plugin resume NAME|--all ends rests;
// plugin key NAME VALUE|-|--clear sets or removes the user's key of a plugin;
// plugin test NAME...|--all runs the plugins' self-tests (see pluginkeytest.h).
int PluginCommand(const CliContext& context);

// update: the plugin update pass; "entry TAB outcome TAB detail" a plugin,
// then a summary line.
int UpdateCommand(const CliContext& context);

} // namespace sokuri::cli
