#pragma once

#include <QString>

namespace sokuri {

// The text handed to the analyser: every character that code page 932
// cannot hold (the analyser's files and the server's EUC-JP have no room for
// it) becomes a blank, so it splits the words around it instead of turning
// into a "?" that the analyser may take for a noun.
QString AnalysableText(const QString& text);

} // namespace sokuri
