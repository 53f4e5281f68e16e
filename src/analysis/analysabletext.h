#pragma once

#include <QString>

namespace sokuri {

// The text handed to the analyser: every character that code page 932
// cannot hold (the analyser's files and the server's EUC-JP have no room for
// it) becomes a blank, so it splits the words around it instead of turning
// into a "?" that the analyser may take for a noun. A line longer than
// MaxPieceChars is cut into lines of at most that length (see PieceLines).
QString AnalysableText(const QString& text);

// The analysers read a line at a time and fail on long ones (ChaSen cuts a
// character in two at its buffer's end; the server tool takes lines up to
// 64 KB): lines up to this length go as they are.
inline constexpr qsizetype MaxPieceChars = 1000;

// text with every line longer than MaxPieceChars cut into pieces of at most
// that length, each at the last sentence end (。！？), else the last comma
// (、，,) or blank, else at the limit; line breaks join the pieces. Shorter
// lines are kept exactly.
QString PieceLines(const QString& text);

} // namespace sokuri
