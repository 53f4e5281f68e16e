#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <span>

namespace sokuri {

// Splits text at every occurrence of separator into fields trimmed of spaces
// (U+0020 only) at both ends. The field count is always the number of
// separator occurrences plus one: "" gives one empty field, "a.b." with "."
// gives "a", "b" and "".
QStringList SplitFields(QStringView text, QStringView separator);

// The same split into a caller's fixed array, filled from index 0. Fields
// beyond the array's size are ignored and entries beyond the returned count
// keep their old values. Returns the number of entries stored.
int SplitFields(QStringView text, QStringView separator, std::span<QString> fields);

// Removes spaces (U+0020 only) at both ends, as the field splitting does.
QString TrimSpaces(QStringView text);

} // namespace sokuri
