#include "retrieval/resultpage.h"

#include "common/wholefile.h"
#include "encoding/codepage932.h"

namespace sokuri {

QString ResultPagePath(const QString& tmpPath)
{
    return tmpPath + u"/sokuri_view.html";
}

bool WriteResultPage(const QString& tmpPath, const QString& html, QString* errorText)
{
    return WriteWholeFile(ResultPagePath(tmpPath), cp932::encodeWithReferences(html), errorText);
}

} // namespace sokuri
