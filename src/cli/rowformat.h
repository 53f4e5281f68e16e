#pragma once

#include "retrieval/resultrow.h"

#include <QList>
#include <QString>
#include <QTextStream>

namespace sokuri::cli {

enum class RowFormat { Table, Tsv, Jsonl, Csv };

// Reads "table", "tsv", "jsonl" or "csv"; false for anything else.
bool ParseRowFormat(const QString& text, RowFormat& format);

// Writes the rows in the given format: a table with aligned columns and a
// header line, tab-separated lines, or one JSON object a line with the keys
// "title", "plugin", "relevance", "site" and "html", or the CSV file that the
// window's export writes.
void WriteRows(QTextStream& out, const QList<ResultRow>& rows, RowFormat format);

} // namespace sokuri::cli
