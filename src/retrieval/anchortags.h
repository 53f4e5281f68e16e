#pragma once

#include "retrieval/entrymarks.h"

#include <QString>
#include <QStringView>
#include <QVarLengthArray>

namespace sokuri {

// One anchor tag of an entry: where its "<" is, where the "=" of its href
// attribute is (-1 for a "<a href" that is not followed by "="), and where
// the first ">" after its start is.
struct AnchorTag
{
    qsizetype start = -1;
    qsizetype hrefEq = -1;
    qsizetype end = -1;
    // The first "</a>" (any letter case) from start on, or -1.
    qsizetype close = -1;
};

// The longest link that is looked at for a real address in it.
constexpr qsizetype MaxUnwrappedLink = 8192;

// The anchor tags of an entry, in order, up to the first with no ">" after
// it (neither it nor any later one is a tag): found once, for the title and
// for the rewriting.
using AnchorTags = QVarLengthArray<AnchorTag, 16>;

// The anchor tags of text: "<a href" in any letter case, or "<a" and a
// blank starting a tag whose attributes hold "href=" in any order
// ("<a class=\"r\" href=\"/x\">").
// The marks are the text's own.
AnchorTags anchorTagsOf(QStringView text, const EntryMarks& marks);

// The title link: the first anchor element (an anchor tag up to the first
// "</a>" after it, tags included) that has text, with that text as title.
// With a title marker, only anchors at or after its first occurrence count.
// No such anchor gives an empty link and title.
QStringView titleAnchor(QStringView text, const AnchorTags& tags, QStringView titleStart,
                        QString& title);

// The address of an anchor element's href, as written; empty without one,
// or when it is longer than any link that is unwrapped.
QStringView anchorLink(QStringView anchor);

} // namespace sokuri
