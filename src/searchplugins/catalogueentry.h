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
    QString description = {}; // what the engine searches, possibly empty
    QString category = {};    // the engine's kind ([init] category), possibly empty

    // "Version " and the version; a description follows on a line of its own.
    QString tooltip() const
    {
        QString text = QStringLiteral("Version ") + version;
        if (!description.isEmpty())
            text += u'\n' + description;
        return text;
    }

    friend bool operator==(const CatalogueEntry&, const CatalogueEntry&) = default;
};

} // namespace sokuri
