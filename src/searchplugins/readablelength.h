#pragma once

#include <QString>
#include <QStringView>

namespace sokuri {

// The longest text kept under a JSON result's title, in characters, when the
// plugin names no length of its own ("[result] ContentMaxLength").
constexpr qsizetype DefaultContentMaxLength = 300;

// The most a plugin may ask for: a screenful of text, not a whole document.
constexpr qsizetype MaxContentMaxLength = 20000;

// Reads "ContentMaxLength": empty is the default; a whole number from 1 to
// MaxContentMaxLength is taken as it is; anything else is refused (false,
// with the reason).
bool ParseContentMaxLength(QStringView value, qsizetype& length, QString& error);

// text cut to at most maxLength characters for a person to read: a longer
// text ends, blanks trimmed, at the last whole character within the length
// (a surrogate pair is never split) followed by "…", the sign that it was cut.
QString CutToReadableLength(QString text, qsizetype maxLength);

} // namespace sokuri
