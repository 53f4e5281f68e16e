#include "retrieval/jsonentries.h"

#include "encoding/utf8text.h"

#include "retrieval/characterreferences.h"
#include "retrieval/entrytext.h"
#include "retrieval/linkrewriting.h"
#include "retrieval/replyreader.h"
#include "retrieval/textsearch.h"
#include "searchplugins/jsontemplate.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <simdjson.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

// The largest answer whose buffers the parser keeps for the next one.
constexpr size_t KeptParserCapacity = size_t(2) << 20;

// simdjson refuses documents nested more deeply than Qt's reader does
// (beyond 1,024 arrays and objects), so the same documents are refused for
// their depth.
static_assert(simdjson::DEFAULT_MAX_DEPTH == 1024);

// One step of a path: a key, or (when the step reads as a number) also an
// index into an array.
struct PathStep
{
    std::string key;
    std::optional<qint64> index;
};

// A path ("a/b/0/c") made ready for walking: its steps as UTF-8 keys, the
// numbers among them read once.
struct JsonPath
{
    std::vector<PathStep> steps;
    bool empty = true;

    explicit JsonPath(QStringView path)
        : empty(path.isEmpty())
    {
        for (const QStringView step : path.tokenize(u'/', Qt::SkipEmptyParts)) {
            PathStep compiled;
            compiled.key = step.toUtf8().toStdString();
            bool isIndex = false;
            const qint64 index = step.toLongLong(&isIndex);
            if (isIndex)
                compiled.index = index;
            steps.push_back(std::move(compiled));
        }
    }
};

// The value of key in object: the last one when a key is written twice.
bool member(element object, std::string_view key, element& value)
{
    bool found = false;
    const simdjson::dom::object fields = object.get_object().value_unsafe();
    for (const simdjson::dom::key_value_pair field : fields) {
        if (field.key == key) {
            value = field.value;
            found = true;
        }
    }
    return found;
}

// The value at path from value; false when a step leads nowhere: a key that
// the object lacks, an index beyond the array, or a step into a value that
// is neither.
bool walk(element& value, const JsonPath& path)
{
    for (const PathStep& step : path.steps) {
        switch (value.type()) {
        case element_type::OBJECT:
            if (!member(value, step.key, value))
                return false;
            break;
        case element_type::ARRAY: {
            const simdjson::dom::array array = value.get_array().value_unsafe();
            if (!step.index || *step.index < 0 || size_t(*step.index) >= array.size())
                return false;
            value = array.at(size_t(*step.index)).value_unsafe();
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

QString numberText(double number)
{
    if (std::trunc(number) == number && std::abs(number) < 9.0e15)
        return QString::number(qint64(number));
    return QString::number(number, 'g', 15);
}

// The text at path below one result element: strings as they are, numbers
// as written (whole numbers without a fraction), true and false, the first
// element of an array; anything else, and a path that leads nowhere, is
// empty. Every path a plugin names for a result is read through here.
QString textAt(element result, const JsonPath& path)
{
    if (path.empty)
        return {};
    element value = result;
    if (!walk(value, path))
        return {};
    if (value.is_array()) {
        const simdjson::dom::array array = value.get_array().value_unsafe();
        if (array.size() == 0)
            return {};
        value = array.at(0).value_unsafe();
    }
    switch (value.type()) {
    case element_type::STRING: {
        // The parser has checked the document's UTF-8.
        return Utf8Text(value.get_string().value_unsafe());
    }
    case element_type::INT64:
        return numberText(double(value.get_int64().value_unsafe()));
    case element_type::UINT64:
        return numberText(double(value.get_uint64().value_unsafe()));
    case element_type::DOUBLE:
        return numberText(value.get_double().value_unsafe());
    case element_type::BOOL:
        return value.get_bool().value_unsafe() ? u"true"_s : u"false"_s;
    default:
        return {};
    }
}

// The paths of a plugin's keys, made ready once an answer.
struct ResultPaths
{
    JsonPath url;
    JsonPath altUrl;

    explicit ResultPaths(const JsonResultKeys& keys)
        : url(keys.url)
        , altUrl(keys.altUrl)
    {}
};

QString addressOf(element result, const ResultPaths& paths, const JsonResultKeys& keys,
                  QStringView baseUrl)
{
    QString address = textAt(result, paths.url).trimmed();
    if (address.isEmpty())
        address = textAt(result, paths.altUrl).trimmed();
    if (address.isEmpty() || IsWebAddress(address) || keys.urlPrefix.isEmpty())
        return AbsoluteAddress(address, baseUrl);
    address = keys.urlPrefix + address;
    return IsWebAddress(address) ? address : QString();
}

// Text for a person to read out of a value that may hold HTML: tags
// removed (highlighting within a sentence joins its words again), character
// references decoded, white space folded. Each step is taken only where
// the value holds what it changes.
QString htmlValueText(QString value)
{
    RemoveTags(value, true);
    if (findChar(value, u'&', 0) >= 0)
        value = DecodeCharacterReferences(value);
    foldWhiteSpace(value);
    return value;
}

// Why a body is no JSON document, in the words of Qt's reader (its error and
// the byte where it stopped) for the documents it refuses too; error is
// simdjson's.
QString notJsonReason(QByteArrayView body, simdjson::error_code error)
{
    QJsonParseError qtError;
    if (QJsonDocument::fromJson(body.toByteArray(), &qtError).isNull()) {
        return u"JSON として読めません (%1、%2 バイト目)"_s.arg(qtError.errorString())
            .arg(qtError.offset);
    }
    return u"JSON として読めません (%1)"_s.arg(QString::fromUtf8(simdjson::error_message(error)));
}

// The parser of this thread, which keeps its buffers from answer to answer;
// after an answer larger than KeptParserCapacity it lets them go, so that one
// large answer does not hold tens of megabytes for the rest of the run.
class KeptParser
{
public:
    KeptParser()
    {
        if (!parser)
            parser = std::make_unique<simdjson::dom::parser>();
    }
    ~KeptParser()
    {
        if (parser->capacity() > KeptParserCapacity)
            parser.reset();
    }
    KeptParser(const KeptParser&) = delete;
    KeptParser& operator=(const KeptParser&) = delete;

    simdjson::dom::parser& operator*() const { return *parser; }

private:
    static thread_local std::unique_ptr<simdjson::dom::parser> parser;
};

thread_local std::unique_ptr<simdjson::dom::parser> KeptParser::parser;

} // namespace

bool ReadJsonEntries(QByteArrayView body, QStringView charset, const JsonResultKeys& keys,
                     QStringView baseUrl, QList<FeedEntry>& entries, QString& reason,
                     qsizetype contentMaxLength)
{
    QByteArray utf8;
    if (charset != u"utf-8") {
        utf8 = DecodeReplyLine(charset, body).toUtf8();
        if (utf8.isEmpty() && !body.isEmpty()) {
            reason = u"文字コード「"_s + charset.toString() + u"」の JSON は読めません"_s;
            return false;
        }
        body = utf8;
    }
    // A byte order mark in front of the document is passed over.
    const QByteArrayView document = body.startsWith("\xEF\xBB\xBF") ? body.sliced(3) : body;
    const KeptParser reader;
    element root;
    // An empty body is never handed over: its bytes may be no address at all.
    const simdjson::error_code error =
        document.isEmpty()
            ? simdjson::EMPTY
            : (*reader).parse(document.data(), size_t(document.size()), true).get(root);
    if (error != simdjson::SUCCESS || (!root.is_array() && !root.is_object())) {
        reason = notJsonReason(body, error);
        return false;
    }
    element results = root;
    if (!walk(results, JsonPath(keys.results))) {
        reason = u"JSON に結果の場所「"_s + keys.results + u"」がありません"_s;
        return false;
    }
    if (!results.is_array()) {
        reason = u"JSON の「"_s + keys.results + u"」は結果の配列ではありません"_s;
        return false;
    }
    // Templates that cannot be read give no text (BuildRequest refuses such
    // plugins before they are asked). Their paths are made ready once an
    // answer.
    JsonTemplate title;
    JsonTemplate content;
    QString unreadable;
    title.parse(keys.title, unreadable);
    content.parse(keys.content, unreadable);
    std::vector<std::pair<QString, JsonPath>> partPaths;
    for (const QString& path : title.paths() + content.paths()) {
        if (std::none_of(partPaths.cbegin(), partPaths.cend(),
                         [&path](const auto& known) { return known.first == path; }))
            partPaths.emplace_back(path, JsonPath(path));
    }
    const ResultPaths paths(keys);
    const simdjson::dom::array array = results.get_array().value_unsafe();
    entries.reserve(entries.size() + qsizetype(array.size()));
    for (const element result : array) {
        FeedEntry entry;
        const auto at = [&result, &partPaths](QStringView path) {
            for (const auto& [name, parsed] : partPaths) {
                if (name == path)
                    return htmlValueText(textAt(result, parsed));
            }
            return QString();
        };
        entry.title = title.expand(at);
        if (entry.title.isEmpty())
            continue;
        entry.address = addressOf(result, paths, keys, baseUrl);
        entry.text = CutToReadableLength(content.expand(at), contentMaxLength);
        entries.append(std::move(entry));
    }
    return true;
}

namespace {

ResultRow rowOf(const PluginSlot& slot, const FeedEntry& entry)
{
    ResultRow row;
    row.plugin = slot.Name;
    row.title = entry.title;
    row.site = siteOf(entry.address);
    row.html = FeedEntryPage(entry.title, entry.address, entry.text);
    return row;
}

} // namespace

bool JsonEntryReader::readBody(const PluginSlot& slot, SlotState&, QByteArrayView body,
                               QList<ResultRow>& rows, QString& reason) const
{
    QList<FeedEntry> entries;
    if (!ReadJsonEntries(body, slot.ResultCharset, slot.Json, slot.BaseUrl, entries, reason,
                         slot.JsonContentMaxLength))
        return false;
    for (const FeedEntry& entry : entries)
        rows.append(rowOf(slot, entry));
    return true;
}

// JSON answers are read whole at the close: no entry is ever cut out of
// them by markers.
ResultRow JsonEntryReader::entryRow(const PluginSlot&, SlotState&, QStringView,
                                    const QString*) const
{
    return {};
}

} // namespace sokuri
