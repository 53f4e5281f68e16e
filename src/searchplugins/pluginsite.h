#pragma once

#include "platform/externalbrowser.h"
#include "platform/messagesink.h"
#include "searchplugins/plugincatalogue.h"

namespace sokuri {

// Opens url in the desktop's browser. When that fails the user is told the
// failure's source and description under the title "Error " + its number,
// and the program goes on.
void OpenInBrowser(ExternalBrowser& browser, MessageSink& messages, const QString& url,
                   const QString& target);

// Opens the home page of the selected plugin; nothing when none is selected
// (selectedRow outside the catalogue).
void OpenPluginSite(const PluginCatalogue& catalogue, int selectedRow, ExternalBrowser& browser,
                    MessageSink& messages, const QString& target);

} // namespace sokuri
