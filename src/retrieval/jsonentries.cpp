#include "retrieval/jsonentries.h"

#include "retrieval/characterreferences.h"
#include "retrieval/linkrewriting.h"
#include "retrieval/replyreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// The value at path from value ("a/b/0/c"); false when a step leads
// nowhere: a key that the object lacks, an index beyond the array, or a
// step into a value that is neither.
bool walk(QJsonValue& value, QStringView path)
{
    for (const QStringView step : path.tokenize(u'/', Qt::SkipEmptyParts)) {
        if (value.isObject()) {
            const QJsonObject object = value.toObject();
            const auto found = object.constFind(step);
            if (found == object.constEnd())
                return false;
            value = found.value();
        } else if (value.isArray()) {
            bool isIndex = false;
            const qsizetype index = step.toLongLong(&isIndex);
            const QJsonArray array = value.toArray();
            if (!isIndex || index < 0 || index >= array.size())
                return false;
            value = array.at(index);
        } else {
            return false;
        }
    }
    return true;
}

// A value as text: strings as they are, numbers as written (whole numbers
// without a fraction), the first element of an array; anything else, and
// a path that leads nowhere, is empty.
QString textAt(const QJsonValue& result, QStringView path)
{
    if (path.isEmpty())
        return {};
    QJsonValue value = result;
    if (!walk(value, path))
        return {};
    if (value.isArray())
        value = value.toArray().first();
    if (value.isString())
        return value.toString();
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (std::trunc(number) == number && std::abs(number) < 9.0e15)
            return QString::number(qint64(number));
        return QString::number(number, 'g', 15);
    }
    if (value.isBool())
        return value.toBool() ? u"true"_s : u"false"_s;
    return {};
}

bool isWebAddress(QStringView address)
{
    return address.startsWith(u"http://"_s, Qt::CaseInsensitive) ||
           address.startsWith(u"https://"_s, Qt::CaseInsensitive);
}

QString addressOf(const QJsonValue& result, const JsonResultKeys& keys, QStringView baseUrl)
{
    QString address = textAt(result, keys.url).trimmed();
    if (address.isEmpty())
        address = textAt(result, keys.altUrl).trimmed();
    if (address.isEmpty() || isWebAddress(address))
        return address;
    if (!keys.urlPrefix.isEmpty())
        address = keys.urlPrefix + address;
    else
        address = QUrl(baseUrl.toString()).resolved(QUrl(address)).toString(QUrl::FullyEncoded);
    return isWebAddress(address) ? address : QString();
}

bool startsTag(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'/' || c == u'!' ||
           c == u'?';
}

// Whether the tag after "<" is one of the inline tags that mark words
// within a sentence ("b", "/em", "span class=...").
bool isInlineTag(QStringView tag)
{
    if (tag.startsWith(u'/'))
        tag = tag.sliced(1);
    qsizetype end = 0;
    while (end < tag.size() && tag[end].isLetter())
        ++end;
    static constexpr QStringView inlineTags[] = {u"b",    u"i",    u"em", u"strong", u"span",
                                                 u"mark", u"code", u"a",  u"u",      u"small"};
    const QStringView name = tag.first(end);
    return end > 0 &&
           std::any_of(std::begin(inlineTags), std::end(inlineTags),
                       [name](QStringView t) { return name.compare(t, Qt::CaseInsensitive) == 0; });
}

} // namespace

QString HtmlValueText(QStringView value)
{
    QString outside;
    outside.reserve(value.size());
    bool copying = true;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (copying && c == u'<' && i + 1 < value.size() && startsTag(value[i + 1])) {
            copying = false;
            // Highlighting inside a sentence joins its words again; other
            // tags part them.
            if (!isInlineTag(value.sliced(i + 1)))
                outside += u' ';
        } else if (!copying && c == u'>') {
            copying = true;
        } else if (copying) {
            outside += c;
        }
    }
    return DecodeCharacterReferences(outside).simplified();
}

bool ReadJsonEntries(QByteArrayView body, QStringView charset, const JsonResultKeys& keys,
                     QStringView baseUrl, QList<FeedEntry>& entries, QString& reason)
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
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body.toByteArray(), &error);
    if (document.isNull()) {
        reason =
            u"JSON として読めません (%1、%2 バイト目)"_s.arg(error.errorString()).arg(error.offset);
        return false;
    }
    QJsonValue results =
        document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    if (!walk(results, keys.results)) {
        reason = u"JSON に結果の場所「"_s + keys.results + u"」がありません"_s;
        return false;
    }
    if (!results.isArray()) {
        reason = u"JSON の「"_s + keys.results + u"」は結果の配列ではありません"_s;
        return false;
    }
    for (const QJsonValue& result : results.toArray()) {
        FeedEntry entry;
        entry.title = HtmlValueText(textAt(result, keys.title));
        if (entry.title.isEmpty())
            continue;
        entry.address = addressOf(result, keys, baseUrl);
        entry.text = HtmlValueText(textAt(result, keys.content));
        if (entry.text.size() > MaxJsonTextLength) {
            entry.text.truncate(MaxJsonTextLength);
            entry.text += u'…';
        }
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

bool ReadJsonRows(const PluginSlot& slot, SlotState& state, QByteArrayView body,
                  QList<ResultRow>& rows, QString& reason)
{
    return JsonEntryReader().readBody(slot, state, body, rows, reason);
}

bool JsonEntryReader::readBody(const PluginSlot& slot, SlotState&, QByteArrayView body,
                               QList<ResultRow>& rows, QString& reason) const
{
    QList<FeedEntry> entries;
    if (!ReadJsonEntries(body, slot.ResultCharset, slot.Json, slot.BaseUrl, entries, reason))
        return false;
    for (const FeedEntry& entry : entries)
        rows.append(rowOf(slot, entry));
    return true;
}

ResultRow JsonEntryReader::entryRow(const PluginSlot& slot, SlotState&, QStringView entry,
                                    const QString*) const
{
    JsonResultKeys keys = slot.Json;
    keys.results.clear();
    QList<FeedEntry> entries;
    QString reason;
    const QByteArray one = '[' + entry.toString().toUtf8() + ']';
    ReadJsonEntries(one, u"utf-8", keys, slot.BaseUrl, entries, reason);
    ResultRow row = rowOf(slot, entries.isEmpty() ? FeedEntry{} : entries.constFirst());
    return row;
}

} // namespace sokuri
