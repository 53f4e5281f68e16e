#pragma once

#include <QByteArray>
#include <QString>

namespace sokuri {

// A plugin made from an OpenSearch description document.
struct OpenSearchImport
{
    QString name;      // the plugin's name, made from ShortName
    QByteArray bytes;  // the plugin file in Shift_JIS
    QString errorText; // why no plugin could be made; empty when one was

    bool ok() const { return errorText.isEmpty(); }
};

// Makes a feed plugin from an OpenSearch description: ShortName, made safe
// for a file name, is the name; the first RSS or Atom template (a results
// template with type application/rss+xml or application/atom+xml) is the
// action and its query parameters the input lines, {searchTerms} the line
// that carries the keywords; optional parameters are left out, the paging
// parameters get their first page; InputEncoding gives the query's
// character set (UTF-8 by default) and OutputEncoding the feed's. The markers
// are those of the template's feed kind. Description and sourceAddress (the
// document's file or address) become comments. A description that offers
// only an HTML template, a template that needs a parameter no value can be
// given for, or one whose keywords cannot be sent as a query parameter of
// their own, is refused with the reason.
OpenSearchImport ImportOpenSearch(const QByteArray& description, const QString& sourceAddress);

} // namespace sokuri
