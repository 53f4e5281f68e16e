#include "cli/rowformat.h"

#include "retrieval/resultsexport.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace sokuri::cli {

bool ParseRowFormat(const QString& text, RowFormat& format)
{
    if (text == u"table")
        format = RowFormat::Table;
    else if (text == u"tsv")
        format = RowFormat::Tsv;
    else if (text == u"jsonl")
        format = RowFormat::Jsonl;
    else if (text == u"csv")
        format = RowFormat::Csv;
    else
        return false;
    return true;
}

namespace {

// A field on one line: tabs and line breaks become blanks.
QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return text;
}

// Columns a text takes on a terminal: wide and full-width characters two.
int displayWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        if (c.isLowSurrogate())
            continue;
        width += wide || c.isHighSurrogate() ? 2 : 1;
    }
    return width;
}

QString padded(const QString& text, int width)
{
    return text + QString(std::max(0, width - displayWidth(text)), u' ');
}

} // namespace

void WriteRows(QTextStream& out, const QList<ResultRow>& rows, RowFormat format)
{
    switch (format) {
    case RowFormat::Csv:
        // The text read back loses the file's byte-order mark; it is
        // written again, so the output is the export's file byte for byte.
        out << QChar(QChar::ByteOrderMark) << QString::fromUtf8(ResultsAsCsv(rows));
        break;
    case RowFormat::Jsonl:
        for (const ResultRow& row : rows) {
            const QJsonObject object{{u"title"_s, row.title},
                                     {u"plugin"_s, row.plugin},
                                     {u"relevance"_s, row.relevance},
                                     {u"site"_s, row.site},
                                     {u"html"_s, row.html}};
            out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << '\n';
        }
        break;
    case RowFormat::Tsv:
        for (const ResultRow& row : rows) {
            out << oneLine(row.title) << '\t' << oneLine(row.plugin) << '\t'
                << oneLine(row.relevance) << '\t' << oneLine(row.site) << '\n';
        }
        break;
    case RowFormat::Table: {
        const QStringList headers = {u"関連"_s, u"名前"_s, u"プラグイン"_s, u"サイト"_s};
        QList<QStringList> lines;
        for (const ResultRow& row : rows)
            lines.append({oneLine(row.relevance), oneLine(row.title), oneLine(row.plugin),
                          oneLine(row.site)});
        QList<int> widths;
        for (int column = 0; column < headers.size(); ++column) {
            int width = displayWidth(headers[column]);
            for (const QStringList& line : lines)
                width = std::max(width, displayWidth(line[column]));
            widths.append(width);
        }
        lines.prepend(headers);
        for (const QStringList& line : lines) {
            QString text;
            for (int column = 0; column < line.size(); ++column)
                text += column + 1 < line.size() ? padded(line[column], widths[column]) + u"  "
                                                 : line[column];
            out << text << '\n';
        }
        break;
    }
    }
}

} // namespace sokuri::cli
