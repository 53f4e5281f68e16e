#include "retrieval/jsonentries.h"

#include "retrieval/characterreferences.h"
#include "retrieval/entrytext.h"
#include "retrieval/linkrewriting.h"
#include "retrieval/replyreader.h"
#include "searchplugins/jsontemplate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

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

QString addressOf(const QJsonValue& result, const JsonResultKeys& keys, QStringView baseUrl)
{
    QString address = textAt(result, keys.url).trimmed();
    if (address.isEmpty())
        address = textAt(result, keys.altUrl).trimmed();
    if (address.isEmpty() || IsWebAddress(address) || keys.urlPrefix.isEmpty())
        return AbsoluteAddress(address, baseUrl);
    address = keys.urlPrefix + address;
    return IsWebAddress(address) ? address : QString();
}

// Text for a person to read out of a value that may hold HTML: tags
// removed (highlighting within a sentence joins its words again), character
// references decoded, white space folded.
QString htmlValueText(QStringView value)
{
    return DecodeCharacterReferences(TextOutsideTags(value, true)).simplified();
}

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
    // Templates that cannot be read give no text (BuildRequest refuses such
    // plugins before they are asked).
    JsonTemplate title;
    JsonTemplate content;
    QString unreadable;
    title.parse(keys.title, unreadable);
    content.parse(keys.content, unreadable);
    for (const QJsonValue& result : results.toArray()) {
        FeedEntry entry;
        const auto at = [&result](QStringView path) {
            return htmlValueText(textAt(result, path));
        };
        entry.title = title.expand(at);
        if (entry.title.isEmpty())
            continue;
        entry.address = addressOf(result, keys, baseUrl);
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
