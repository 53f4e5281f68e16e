#include "searchplugins/pluginsite.h"

namespace sokuri {

void OpenInBrowser(ExternalBrowser& browser, MessageSink& messages, const QString& url,
                   const QString& target)
{
    ExternalBrowser::Failure failure;
    if (browser.open(url, target, failure))
        return;
    messages.critical({failure.source + u'\r' + failure.description,
                       QStringLiteral("Error ") + QString::number(failure.number)});
}

void OpenPluginSite(const PluginCatalogue& catalogue, int selectedRow, ExternalBrowser& browser,
                    MessageSink& messages, const QString& target)
{
    if (selectedRow < 0 || selectedRow >= catalogue.count())
        return;
    OpenInBrowser(browser, messages, catalogue.at(selectedRow).url, target);
}

} // namespace sokuri
