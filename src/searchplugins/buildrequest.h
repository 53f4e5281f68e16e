#pragma once

#include "common/appstate.h"
#include "searchplugins/pluginslot.h"

#include <QString>

namespace sokuri {

// The most input lines a plugin's query is built from; a larger "inpcount"
// is read as this many.
constexpr int MaxInputLines = 999;

// Fills slot from the file of the plugin named pluginName: the connection
// (scheme, host, port, path of "action"), the method, the query built from the
// "inp" lines with the keywords, the User-Agent and extra header lines, the
// result character set, the markers and the extraction options.
// Every blank of keywordString becomes "+" (the caller keeps the changed
// string for the next plugin).
//
// Returns false, with the reason in skipReason, when the plugin cannot be
// asked in this search: its action names no host or no path after the host,
// or a port outside 1-65535, or a header line (the User-Agent included) holds
// a line break or is not of the form "Name: value", a JSON template cannot be
// read, the plugin's key declaration cannot be used, or the plugin requires a
// key of the user's own that is not set (MissingKeyStatus). A key that is set
// goes into the query or a header line as the plugin declares.
// The User-Agent a request sends when its plugin names none.
QString DefaultUserAgent();

bool BuildRequest(const AppPaths& paths, const QString& pluginName, QString& keywordString,
                  PluginSlot& slot, QString* skipReason = nullptr);

} // namespace sokuri
