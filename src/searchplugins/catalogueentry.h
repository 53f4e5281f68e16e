#pragma once

#include <QString>

namespace sokuri {

// One installed plugin as the plugin list shows it.
struct CatalogueEntry
{
    QString text;    // the plugin's name; its file is PluginPath + "/" + text + ".ini"
    QString url;     // the engine's home page
    QString version; // the plugin file's version, possibly empty
    bool checked = false;

    QString tooltip() const { return QStringLiteral("Version ") + version; }

    friend bool operator==(const CatalogueEntry&, const CatalogueEntry&) = default;
};

} // namespace sokuri
