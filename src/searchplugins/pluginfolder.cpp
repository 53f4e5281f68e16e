#include "searchplugins/pluginfolder.h"

#include "common/inifile.h"

#include <QDir>

namespace sokuri {

bool IsSafePluginName(QStringView name)
{
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name.contains(u".."))
        return false;
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QString PluginFilePath(const AppPaths& paths, const QString& name)
{
    return paths.PluginPath + u'/' + name + u".ini";
}

QList<CatalogueEntry> ReadPluginFolder(const QString& pluginPath)
{
    QList<CatalogueEntry> entries;
    const QDir folder(pluginPath);
    const QStringList files =
        folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    const QString init = QStringLiteral("init");
    for (const QString& file : files) {
        if (!file.contains(u".ini"))
            continue;
        const IniFile ini = IniFile::load(folder.filePath(file));
        CatalogueEntry entry;
        entry.text = ini.value(init, QStringLiteral("name"));
        entry.url = ini.value(init, QStringLiteral("url"));
        entry.version = ini.value(init, QStringLiteral("version"));
        entry.description = ini.value(init, QStringLiteral("description"));
        entry.category = ini.value(init, QStringLiteral("category")).trimmed();
        if (entry.text.isEmpty() || entry.url.isEmpty() || !IsSafePluginName(entry.text))
            continue;
        entries.append(entry);
    }
    return entries;
}

} // namespace sokuri
