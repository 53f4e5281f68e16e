#pragma once

#include <QString>
#include <QStringView>

namespace sokuri {

// Whether address starts with "http://" or "https://", in any letter case.
bool IsWebAddress(QStringView address);

// An address made absolute against the base address ("scheme://host/"):
// "//host/…" takes the base's scheme, a path its host. Empty when the address
// names a scheme of its own, or when neither is a web address.
QString AbsoluteAddress(QString address, QStringView baseUrl);

// The text outside the tags of a text that holds markup ("<p", "</b",
// "<!--"; a plain "<" as in "a < b" stays). Each tag leaves a blank, so the
// words it parts stay apart; with joinInlineTags, the tags that mark words
// within a sentence ("<b>", "</em>", "<span …>") leave nothing. Character
// references are left as they are.
QString TextOutsideTags(QStringView text, bool joinInlineTags);

// TextOutsideTags in place: text becomes the text outside its tags.
void RemoveTags(QString& text, bool joinInlineTags);

} // namespace sokuri
