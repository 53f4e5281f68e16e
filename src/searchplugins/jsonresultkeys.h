#pragma once

#include <QString>

namespace sokuri {

class IniFile;

// Where the results stand in a JSON answer ("[result] format=json"). Paths
// are keys separated by "/", array indices allowed ("message/items",
// "title/0"); the results path leads from the document to the array of
// results (empty: the document is that array), the others from one result.
struct JsonResultKeys
{
    bool enabled = false; // format=json
    QString results;      // ResultsQuery
    QString title;        // TitleQuery
    QString url;          // UrlQuery
    QString altUrl;       // AltUrlQuery: the address of results without UrlQuery
    QString urlPrefix;    // UrlPrefix: put before an address that is no web address
    QString content;      // ContentQuery: the text under the title
};

// The JSON keys of a plugin's [result] section.
JsonResultKeys ReadJsonResultKeys(const IniFile& ini, const QString& section);

} // namespace sokuri
