#include "searchplugins/jsonresultkeys.h"

#include "common/inifile.h"

namespace sokuri {

JsonResultKeys ReadJsonResultKeys(const IniFile& ini, const QString& section)
{
    JsonResultKeys keys;
    keys.enabled = ini.value(section, QStringLiteral("format"))
                       .trimmed()
                       .compare(u"json", Qt::CaseInsensitive) == 0;
    if (!keys.enabled)
        return keys;
    const auto path = [&](const char* key) {
        return ini.value(section, QString::fromLatin1(key)).trimmed();
    };
    keys.results = path("ResultsQuery");
    keys.title = path("TitleQuery");
    keys.url = path("UrlQuery");
    keys.altUrl = path("AltUrlQuery");
    keys.urlPrefix = path("UrlPrefix");
    keys.content = path("ContentQuery");
    return keys;
}

} // namespace sokuri
