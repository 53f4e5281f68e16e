#pragma once

#include <QString>

namespace sokuri {

// The page that shows one result entry: sokuri_view.html in the program's tmp
// folder.
QString ResultPagePath(const QString& tmpPath);

// Writes the entry's HTML, exactly as given, to the result page as Shift_JIS
// bytes; a character Shift_JIS cannot hold becomes a numeric character
// reference, so nothing of the entry is lost. Any earlier page is replaced
// whole or not at all. Returns false with the reason in errorText when the
// page cannot be written; the earlier page then stays as it was.
bool WriteResultPage(const QString& tmpPath, const QString& html, QString* errorText = nullptr);

} // namespace sokuri
