#include "cli/commands.h"

#include "documents/documentformat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace sokuri::cli {

namespace {

QJsonObject documentObject(const Document& document)
{
    QJsonArray plugins;
    for (const PluginMark& mark : document.plugins)
        plugins.append(QJsonObject{{u"name"_s, mark.name}, {u"checked"_s, mark.checked}});
    QJsonArray rows;
    for (const ResultRow& row : document.rows) {
        rows.append(QJsonObject{{u"title"_s, row.title},
                                {u"plugin"_s, row.plugin},
                                {u"relevance"_s, row.relevance},
                                {u"site"_s, row.site},
                                {u"html"_s, row.html}});
    }
    return {{u"version"_s, document.version},
            {u"text"_s, document.text},
            {u"mode"_s, int(document.mode)},
            {u"plugins"_s, plugins},
            {u"rows"_s, rows}};
}

} // namespace

int ShowCommand(const CliContext& context)
{
    QCommandLineParser parser;
    if (!parseCommand(context, parser, u"show FILE.skr"_s, 1, 1))
        return Usage;
    Document document;
    QString error;
    if (!ReadDocumentFile(parser.positionalArguments().constFirst(), document, &error)) {
        context.err << error << Qt::endl;
        return Failed;
    }
    context.out << QString::fromUtf8(
                       QJsonDocument(documentObject(document)).toJson(QJsonDocument::Compact))
                << '\n';
    return Done;
}

} // namespace sokuri::cli
