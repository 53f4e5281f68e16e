#pragma once

#include "common/inputmode.h"
#include "documents/documentformat.h"

#include <QString>

namespace sokuri {

class PluginCatalogue;
class ResultsModel;

// The input line and the two mode buttons, as the window holds them.
struct InputState
{
    QString text;
    InputMode mode = InputMode::None;

    friend bool operator==(const InputState&, const InputState&) = default;
};

// The mode a document's stored number selects: 1 sentence, 2 keywords, any
// other value neither button.
InputMode InputModeFromStored(qint16 stored);

// The window's state as a document: the input, the check mark of every
// catalogue entry in list order and every result row in display order.
Document CaptureDocument(const InputState& input, const PluginCatalogue& catalogue,
                         const ResultsModel& results);

// Puts a document that has been read into the window's state: the results
// list is emptied and gets the document's rows (placed by its current
// sorting); every catalogue entry named by a mark gets that mark, a mark of a
// plugin that is not installed is ignored and an entry the document does not
// name keeps its mark; no entry is added or removed. Returns the document's
// input for the input line and the mode buttons. The caller blanks the viewer
// and re-evaluates the Search button.
InputState ApplyDocument(const Document& document, PluginCatalogue& catalogue,
                         ResultsModel& results);

// Saves the window's state (or a command-line search's) to path, whole or
// not at all. On failure errorText holds a message naming the file, and an
// earlier file at path is as it was.
bool SaveDocument(const QString& path, const InputState& input, const PluginCatalogue& catalogue,
                  const ResultsModel& results, QString* errorText = nullptr);

} // namespace sokuri
