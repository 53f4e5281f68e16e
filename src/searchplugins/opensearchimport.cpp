#include "searchplugins/opensearchimport.h"

#include "encoding/codepage932.h"
#include "searchplugins/pluginfilecheck.h"
#include "searchplugins/pluginfolder.h"

#include <QList>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

const QString RssType = u"application/rss+xml"_s;
const QString AtomType = u"application/atom+xml"_s;

struct Parameter
{
    QString name;
    QString value;
};

struct Template
{
    QString type; // lower case, without parameters
    QString rel;
    QString method;
    QString address;
    QString indexOffset;
    QString pageOffset;
    QList<Parameter> parameters; // of the parameter extension
};

struct Description
{
    QString shortName;
    QString text;
    QString inputEncoding;
    QString outputEncoding;
    QList<Template> templates;
};

// An error of its own, or the empty text.
using Failure = QString;

std::optional<Description> readDescription(const QByteArray& bytes, Failure& failure)
{
    Description description;
    QXmlStreamReader reader(bytes);
    // Namespaces are not checked: descriptions in the wild use the 1.0 and
    // 1.1 names, with and without a prefix.
    if (!reader.readNextStartElement() || reader.name() != u"OpenSearchDescription") {
        failure = reader.hasError() ? u"XML として読めません: "_s + reader.errorString()
                                    : u"OpenSearch の記述文書ではありません"_s;
        return std::nullopt;
    }
    while (reader.readNextStartElement()) {
        const QStringView element = reader.name();
        if (element == u"Url") {
            const QXmlStreamAttributes attributes = reader.attributes();
            Template url;
            url.type =
                attributes.value("type"_L1).toString().section(u';', 0, 0).trimmed().toLower();
            url.rel = attributes.value("rel"_L1).toString().toLower();
            url.method = attributes.value("method"_L1).toString().toLower();
            url.address = attributes.value("template"_L1).toString().trimmed();
            url.indexOffset = attributes.value("indexOffset"_L1).toString();
            url.pageOffset = attributes.value("pageOffset"_L1).toString();
            while (reader.readNextStartElement()) {
                if (reader.name() == u"Parameter") {
                    url.parameters.append({reader.attributes().value("name"_L1).toString(),
                                           reader.attributes().value("value"_L1).toString()});
                }
                reader.skipCurrentElement();
            }
            description.templates.append(url);
        } else if (element == u"ShortName" && description.shortName.isEmpty()) {
            description.shortName = reader.readElementText().simplified();
        } else if (element == u"Description" && description.text.isEmpty()) {
            description.text = reader.readElementText().simplified();
        } else if (element == u"InputEncoding" && description.inputEncoding.isEmpty()) {
            description.inputEncoding = reader.readElementText().trimmed();
        } else if (element == u"OutputEncoding" && description.outputEncoding.isEmpty()) {
            description.outputEncoding = reader.readElementText().trimmed();
        } else {
            reader.skipCurrentElement();
        }
    }
    if (reader.hasError()) {
        failure = u"XML として読めません: "_s + reader.errorString() +
                  u" (%1 行目)"_s.arg(reader.lineNumber());
        return std::nullopt;
    }
    return description;
}

// The character set names the plugin keys know, by an encoding's name.
QString charsetName(const QString& encoding, bool queryOnly)
{
    const QString lower = encoding.toLower();
    if (lower == u"utf-8" || lower == u"utf8")
        return u"utf-8"_s;
    if (lower == u"shift_jis" || lower == u"shift-jis" || lower == u"sjis" || lower == u"x-sjis" ||
        lower == u"windows-31j" || lower == u"cp932")
        return u"shift_jis"_s;
    if (queryOnly)
        return {};
    if (lower == u"euc-jp" || lower == u"x-euc-jp")
        return u"euc-jp"_s;
    if (lower == u"iso-2022-jp")
        return u"iso-2022-jp"_s;
    return {};
}

// The name as a plugin name: one line, nothing that leads out of the plugin
// folder, only characters that Shift_JIS holds.
QString safeName(const QString& shortName)
{
    QString name;
    for (const QChar c : shortName.simplified()) {
        if (c == u'/' || c == u'\\')
            name += u'_';
        else if (c.category() != QChar::Other_Control)
            name += c;
    }
    while (name.contains(u".."))
        name.replace(u".."_s, u"."_s);
    // Characters without a Shift_JIS form (and halves of pairs) become "_".
    QString kept;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const qsizetype width = name[i].isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QString ch = name.mid(i, width);
        kept += cp932::decode(cp932::encode(ch)) == ch && ch != u"?" ? ch : u"_"_s;
        i += width - 1;
    }
    // Blanks and quotes around a value are not part of it when it is read.
    while (!kept.isEmpty() && (kept.front() == u' ' || kept.front() == u'"' ||
                               kept.front() == u'\'' || kept.front() == u'\t'))
        kept.remove(0, 1);
    while (!kept.isEmpty() && (kept.back() == u' ' || kept.back() == u'"' || kept.back() == u'\'' ||
                               kept.back() == u'\t'))
        kept.chop(1);
    return kept;
}

// Fills the template parameters of text other than {searchTerms}. Optional
// ones are left empty; paging ones get the first page. dropped tells that the
// text was one optional parameter alone (its query parameter is left out).
bool fillParameters(QString& text, const Template& url, const Description& description,
                    bool& dropped, Failure& failure)
{
    static const QRegularExpression parameter(u"\\{([^{}]*)\\}"_s);
    dropped = false;
    QString filled;
    qsizetype last = 0;
    bool onlyOptional = true;
    int count = 0;
    QRegularExpressionMatchIterator it = parameter.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        filled += QStringView(text).sliced(last, match.capturedStart() - last);
        last = match.capturedEnd();
        ++count;
        const QString name = match.captured(1).trimmed();
        if (name.endsWith(u'?'))
            continue;
        onlyOptional = false;
        QString value;
        if (name == u"count")
            value = u"20"_s;
        else if (name == u"startIndex")
            value = url.indexOffset.isEmpty() ? u"1"_s : url.indexOffset;
        else if (name == u"startPage")
            value = url.pageOffset.isEmpty() ? u"1"_s : url.pageOffset;
        else if (name == u"language")
            value = u"*"_s;
        else if (name == u"inputEncoding")
            value = description.inputEncoding.isEmpty() ? u"UTF-8"_s : description.inputEncoding;
        else if (name == u"outputEncoding")
            value = description.outputEncoding.isEmpty() ? u"UTF-8"_s : description.outputEncoding;
        else {
            failure = u"テンプレートの必須の引数 {%1} に入れる値がありません"_s.arg(name);
            return false;
        }
        filled += value;
    }
    filled += QStringView(text).sliced(last);
    dropped = count > 0 && onlyOptional && filled.trimmed().isEmpty();
    text = filled;
    return true;
}

// What the request builder cannot carry in a fixed input line.
bool fitsInputLine(const QString& text)
{
    const QString lower = text.toLower();
    // A control character (a line break, say) would end the plugin file's
    // line and start another of the description's making.
    const bool control = std::any_of(text.begin(), text.end(),
                                     [](QChar c) { return c.category() == QChar::Other_Control; });
    return !control && !text.contains(u' ') && !text.contains(u'"') && !text.contains(u'>') &&
           !text.contains(u"user") && !lower.contains(u"name=") && !lower.contains(u"value=");
}

struct Request
{
    QString action;
    QString home;
    QString method;
    QStringList inputLines;
};

std::optional<Request> buildRequest(const Template& url, const Description& description,
                                    Failure& failure)
{
    QString address = url.address;
    const qsizetype hash = address.indexOf(u'#');
    if (hash >= 0)
        address.truncate(hash);
    const qsizetype question = address.indexOf(u'?');
    QString base = question < 0 ? address : address.first(question);
    const QString query = question < 0 ? QString() : address.sliced(question + 1);

    if (base.contains(u"{searchTerms")) {
        failure =
            u"キーワードがアドレスのパスにあります: クエリの引数で送るテンプレートにしか対応していません"_s;
        return std::nullopt;
    }
    bool dropped = false;
    if (!fillParameters(base, url, description, dropped, failure))
        return std::nullopt;
    const QUrl baseUrl(base, QUrl::StrictMode);
    const QString scheme = baseUrl.scheme().toLower();
    if (!baseUrl.isValid() || baseUrl.host().isEmpty() ||
        (scheme != u"http" && scheme != u"https")) {
        failure = u"テンプレートが http: か https: のアドレスではありません: "_s + url.address;
        return std::nullopt;
    }

    Request request;
    const QString authority =
        scheme + u"://" + baseUrl.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded);
    const QString path = baseUrl.path(QUrl::FullyEncoded);
    request.action = authority + (path.isEmpty() ? u"/"_s : path);
    request.home = authority + u'/';
    if (url.method.isEmpty() || url.method == u"get") {
        request.method = u"GET"_s;
    } else if (url.method == u"post") {
        request.method = u"POST"_s;
    } else {
        failure = u"method \"%1\" には対応していません"_s.arg(url.method);
        return std::nullopt;
    }

    QList<Parameter> items;
    for (const QString& pair : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(u'=');
        const auto decode = [](QStringView part) {
            return QUrl::fromPercentEncoding(part.toString().replace(u'+', u' ').toUtf8());
        };
        items.append({decode(QStringView(pair).first(equals < 0 ? pair.size() : equals)),
                      equals < 0 ? QString() : decode(QStringView(pair).sliced(equals + 1))});
    }
    items += url.parameters;

    bool keywords = false;
    for (Parameter& item : items) {
        if (item.name.isEmpty())
            continue;
        const QString trimmed = item.value.trimmed();
        if (trimmed == u"{searchTerms}" || trimmed == u"{searchTerms?}") {
            if (keywords || !fitsInputLine(item.name)) {
                failure = keywords
                              ? u"キーワードを二つの引数で送るテンプレートには対応していません"_s
                              : u"引数の名前「%1」は入力行に書けません"_s.arg(item.name);
                return std::nullopt;
            }
            keywords = true;
            request.inputLines.append(u"<input type=\"text\" name=\"%1\" user>"_s.arg(item.name));
            continue;
        }
        if (item.value.contains(u"{searchTerms")) {
            failure = u"キーワードの前後に文字が付く引数「%1=%2」には対応していません"_s.arg(
                item.name, item.value);
            return std::nullopt;
        }
        if (!fillParameters(item.value, url, description, dropped, failure))
            return std::nullopt;
        if (dropped)
            continue;
        if (!fitsInputLine(item.name) || !fitsInputLine(item.value)) {
            failure = u"引数「%1=%2」は入力行に書けません"_s.arg(item.name, item.value);
            return std::nullopt;
        }
        request.inputLines.append(
            u"<input type=\"hidden\" name=\"%1\" value=\"%2\">"_s.arg(item.name, item.value));
    }
    if (!keywords) {
        failure = u"テンプレートに {searchTerms} の引数がありません"_s;
        return std::nullopt;
    }
    // Input lines are numbered with two digits.
    if (request.inputLines.size() > 99) {
        failure = u"テンプレートの引数が多すぎます (99 まで)"_s;
        return std::nullopt;
    }
    return request;
}

} // namespace

OpenSearchImport ImportOpenSearch(const QByteArray& bytes, const QString& sourceAddress)
{
    OpenSearchImport result;
    const std::optional<Description> description = readDescription(bytes, result.errorText);
    if (!description)
        return result;

    const Template* feed = nullptr;
    bool html = false;
    for (const Template& url : description->templates) {
        if (!url.rel.isEmpty() && !url.rel.split(u' ').contains(u"results"))
            continue;
        if (url.type == RssType || url.type == AtomType) {
            feed = &url;
            break;
        }
        html = html || url.type == u"text/html" || url.type == u"application/xhtml+xml";
    }
    if (!feed) {
        result.errorText =
            html
                ? u"HTML の検索結果のテンプレートしかありません (RSS か Atom でなければ結果の区切りが分かりません)"_s
                : u"RSS か Atom の検索結果のテンプレートがありません"_s;
        return result;
    }

    const QString name = safeName(description->shortName);
    if (!IsSafePluginName(name)) {
        result.errorText = u"ShortName からプラグイン名を作れません"_s;
        return result;
    }
    const QString queryCharset = description->inputEncoding.isEmpty()
                                     ? u"utf-8"_s
                                     : charsetName(description->inputEncoding, true);
    if (queryCharset.isEmpty()) {
        result.errorText =
            u"クエリの文字コード %1 には対応していません"_s.arg(description->inputEncoding);
        return result;
    }
    const QString feedCharset = description->outputEncoding.isEmpty()
                                    ? u"utf-8"_s
                                    : charsetName(description->outputEncoding, false);
    if (feedCharset.isEmpty()) {
        result.errorText =
            u"結果の文字コード %1 には対応していません"_s.arg(description->outputEncoding);
        return result;
    }
    const std::optional<Request> request = buildRequest(*feed, *description, result.errorText);
    if (!request)
        return result;

    const bool atom = feed->type == AtomType;
    QString text;
    if (!description->text.isEmpty())
        text += u"; "_s + description->text + u"\r\n"_s;
    text += u"; OpenSearch: "_s + sourceAddress.simplified() + u"\r\n"_s;
    text += u"[init]\r\nname="_s + name + u"\r\nurl="_s + request->home + u"\r\n"_s;
    text += u"[search]\r\naction="_s + request->action + u"\r\nmethod="_s + request->method +
            u"\r\ncharset="_s + queryCharset + u"\r\ninpcount="_s +
            QString::number(request->inputLines.size()) + u"\r\n"_s;
    for (qsizetype i = 0; i < request->inputLines.size(); ++i)
        text += u"inp%1="_s.arg(int(i + 1), 2, 10, QLatin1Char('0')) + request->inputLines[i] +
                u"\r\n"_s;
    // RSS 1.0 keeps its items after the channel and writes <item rdf:about>:
    // the list runs from the channel to the end of an RSS 2.0 document.
    text += u"[result]\r\ncharset="_s + feedCharset + u"\r\nformat=feed\r\n"_s;
    text +=
        atom ? u"ListStart=<feed\r\nListEnd=</feed>\r\nItemStart=<entry\r\nItemEnd=</entry>\r\n"_s
             : u"ListStart=<channel\r\nListEnd=</rss>\r\nItemStart=<item\r\nItemEnd=</item>\r\n"_s;

    // The plugin must pass the checks of any plugin file.
    const PluginFileCheck check = CheckPluginFile(cp932::encode(text));
    if (!check.ok()) {
        result.errorText = check.errorText;
        return result;
    }
    result.name = check.name;
    result.bytes = check.bytes;
    return result;
}

} // namespace sokuri
