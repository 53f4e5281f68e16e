#pragma once

#include <QMetaType>
#include <QString>
#include <QTypeInfo>

namespace sokuri {

// One row of the results list: an entry cut out of an engine's answer page.
struct ResultRow
{
    QString title;     // text of the entry's first anchor with text
    QString plugin;    // the plugin's name
    QString relevance; // three characters, right-aligned, or empty
    QString site;      // host labels reversed ("cc.bb.aa"), a numeric address, or empty
    QString html;      // the entry's rewritten HTML

    friend bool operator==(const ResultRow&, const ResultRow&) = default;
};

} // namespace sokuri

// Its strings hold nothing that points at themselves, so a list of rows grows
// by moving its memory rather than each row.
Q_DECLARE_TYPEINFO(sokuri::ResultRow, Q_RELOCATABLE_TYPE);

Q_DECLARE_METATYPE(sokuri::ResultRow)
