#include "documents/documentstate.h"

#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"

namespace sokuri {

InputMode InputModeFromStored(qint16 stored)
{
    switch (stored) {
    case qint16(InputMode::Sentence):
        return InputMode::Sentence;
    case qint16(InputMode::Keywords):
        return InputMode::Keywords;
    default:
        return InputMode::None;
    }
}

Document CaptureDocument(const InputState& input, const PluginCatalogue& catalogue,
                         const ResultsModel& results)
{
    Document document;
    document.text = input.text;
    document.mode = qint16(input.mode);
    for (const CatalogueEntry& entry : catalogue.entries())
        document.plugins.append({entry.text, entry.checked});
    document.rows = results.rows();
    return document;
}

InputState ApplyDocument(const Document& document, PluginCatalogue& catalogue,
                         ResultsModel& results)
{
    results.clear();
    for (const PluginMark& mark : document.plugins)
        catalogue.setCheckedByName(mark.name, mark.checked);
    results.addRows(document.rows);
    return {document.text, InputModeFromStored(document.mode)};
}

bool SaveDocument(const QString& path, const InputState& input, const PluginCatalogue& catalogue,
                  const ResultsModel& results, QString* errorText)
{
    return WriteDocumentFile(path, CaptureDocument(input, catalogue, results), errorText);
}

} // namespace sokuri
