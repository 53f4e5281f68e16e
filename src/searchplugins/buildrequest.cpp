#include "searchplugins/buildrequest.h"

#include "common/inifile.h"
#include "common/settings.h"
#include "common/userkeys.h"
#include "encoding/urlconv.h"
#include "searchplugins/jsontemplate.h"
#include "searchplugins/pluginfolder.h"
#include "searchplugins/pluginkey.h"
#include "searchplugins/readablelength.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

// The positions of the rules are found in a copy lower-cased letter by
// letter, so they stay aligned with the original text.
QString asciiLower(QStringView text)
{
    QString lower = text.toString();
    for (QChar& c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return lower;
}

// The leading decimal digits of text as a number; none gives 0. Returns -1
// when the number is beyond any port.
int leadingPort(QStringView text)
{
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 65535)
            return -1;
    }
    return value;
}

// "inpcount" as a 16-bit integer: a decimal number rounded to the nearest
// whole number (halves to even); empty or no number is 0.
int inputLineCount(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^[ \t]*([+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+))[ \t]*$)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    const double value = std::nearbyint(match.captured(1).toDouble());
    return value > MaxInputLines ? MaxInputLines : int(value);
}

// Reads one field of an input line from start: up to a blank or ">", or the
// double quote that closes one opened before. The quote flag is shared by the
// name and the value scan of one line.
QString scanField(QStringView line, qsizetype start, bool& quoted)
{
    QString field;
    for (qsizetype i = start; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u' ' || c == u'>')
            break;
        if (c == u'"') {
            if (quoted) {
                quoted = false;
                break;
            }
            quoted = true;
            continue;
        }
        field.append(c);
    }
    return field;
}

// Where the field after word begins: just after its first occurrence, or at
// the character after the word's own length when the line lacks it.
qsizetype fieldStart(const QString& lowerLine, QStringView word)
{
    const qsizetype at = lowerLine.indexOf(word);
    return at < 0 ? word.size() - 1 : at + word.size();
}

struct ActionParts
{
    QString scheme;
    QString host;
    int port = 0;
    bool explicitPort = false;
    QString path;
};

bool splitAction(const QString& action, ActionParts& parts, QString* reason)
{
    const qsizetype http = action.indexOf(u"http://");
    const qsizetype https = action.indexOf(u"https://");
    qsizetype hostStart;
    if (https >= 0 && (http < 0 || https < http)) {
        parts.scheme = QStringLiteral("https");
        hostStart = https + 8;
    } else {
        parts.scheme = QStringLiteral("http");
        // Without "http://" the host is taken from the seventh character on.
        hostStart = http < 0 ? 6 : http + 7;
    }
    const qsizetype slash = hostStart <= action.size() ? action.indexOf(u'/', hostStart) : -1;
    if (slash < 0) {
        if (reason)
            *reason = QStringLiteral("action にパスがありません: ") + action;
        return false;
    }
    const QString hostAndPort = action.sliced(hostStart, slash - hostStart);
    parts.path = action.sliced(slash);
    const qsizetype colon = hostAndPort.indexOf(u':');
    if (colon >= 0) {
        parts.host = hostAndPort.first(colon);
        parts.port = leadingPort(QStringView(hostAndPort).sliced(colon + 1));
        parts.explicitPort = true;
    } else {
        parts.host = hostAndPort;
        parts.port = parts.scheme == u"https" ? 443 : 80;
    }
    if (parts.host.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("action にホストがありません: ") + action;
        return false;
    }
    if (parts.port < 1 || parts.port > 65535) {
        if (reason)
            *reason = QStringLiteral("action のポートが正しくありません: ") + action;
        return false;
    }
    return true;
}

// Whether text can travel as (part of) one header line: no line break and
// no other control character but the tab.
bool fitsHeaderLine(QStringView text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        return (c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7f;
    });
}

// Whether line is a header line "Name: value" whose name is an HTTP token.
bool isHeaderLine(QStringView line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon <= 0 || !fitsHeaderLine(line))
        return false;
    static const QString separators = QStringLiteral("()<>@,;:\\\"/[]?={} \t");
    return std::none_of(line.begin(), line.begin() + colon,
                        [](QChar c) { return c.unicode() > 0x7e || separators.contains(c); });
}

// Reads the User-Agent and the numbered header lines of the search section.
bool readHeaders(const IniFile& ini, PluginSlot& slot, QString* reason)
{
    const QString search = QStringLiteral("search");
    const QString userAgent = ini.value(search, QStringLiteral("useragent"));
    slot.UserAgent = userAgent.trimmed().isEmpty() ? DefaultUserAgent() : userAgent.trimmed();
    if (!fitsHeaderLine(slot.UserAgent)) {
        if (reason)
            *reason = QStringLiteral("useragent に使えない文字があります");
        return false;
    }
    const int count = inputLineCount(ini.value(search, QStringLiteral("headercount")));
    for (int i = 1; i <= count; ++i) {
        const QString key = QStringLiteral("header%1").arg(i % 100, 2, 10, QLatin1Char('0'));
        const QString line = ini.value(search, key).trimmed();
        if (line.isEmpty())
            continue;
        if (!isHeaderLine(line)) {
            if (reason)
                *reason = key + QStringLiteral(" はヘッダー行ではありません: ") + line;
            return false;
        }
        slot.Headers.append(line);
    }
    return true;
}

} // namespace

QString DefaultUserAgent()
{
    return QStringLiteral("Sokuri/") + QString::fromUtf8(SOKURI_VERSION_TEXT);
}

bool BuildRequest(const AppPaths& paths, const QString& pluginName, QString& keywordString,
                  PluginSlot& slot, QString* skipReason)
{
    keywordString.replace(u' ', u'+');
    slot = PluginSlot();

    const IniFile ini = IniFile::load(PluginFilePath(paths, pluginName));
    const QString search = QStringLiteral("search");
    const QString result = QStringLiteral("result");
    slot.Name = ini.value(QStringLiteral("init"), QStringLiteral("name"));

    ActionParts action;
    bool usable = splitAction(ini.value(search, QStringLiteral("action")), action, skipReason);
    usable = readHeaders(ini, slot, usable ? skipReason : nullptr) && usable;
    slot.Scheme = action.scheme;
    slot.Host = action.host;
    slot.Port = action.port;
    slot.Path = action.path;
    slot.Method = ini.value(search, QStringLiteral("method"));
    slot.Timeout = ParseTimeoutSeconds(ini.value(search, QStringLiteral("timeout")));

    const bool utf8Query =
        ini.value(search, QStringLiteral("charset")).compare(u"utf-8", Qt::CaseInsensitive) == 0;
    const auto encode = [utf8Query](const QString& text, int keep) {
        return utf8Query ? UrlEncodeBytes(text.toUtf8(), keep) : UrlEncode(text, keep);
    };
    const int lines = inputLineCount(ini.value(search, QStringLiteral("inpcount")));
    // "keywordformat" puts the keywords into fixed text of the engine's own
    // query language ("anywhere+all+%22{keywords}%22").
    QString keywords = keywordString;
    const QString keywordFormat = ini.value(search, QStringLiteral("keywordformat")).trimmed();
    if (!keywordFormat.isEmpty()) {
        if (keywordFormat.contains(u"{keywords}")) {
            keywords = QString(keywordFormat).replace(u"{keywords}"_s, keywordString);
        } else {
            if (usable && skipReason)
                *skipReason = QStringLiteral("keywordformat に {keywords} がありません");
            usable = false;
        }
    }
    const QString userValue = u"value=\"" + keywords + u'"';
    for (int i = 1; i <= lines; ++i) {
        const QString key = QStringLiteral("inp%1").arg(i % 100, 2, 10, QLatin1Char('0'));
        QString line = ini.value(search, key);
        const qsizetype user = line.indexOf(u"user");
        if (user >= 0)
            line.replace(user, 4, userValue);
        if (!slot.Query.isEmpty())
            slot.Query += u'&';
        const QString lower = asciiLower(line);
        bool quoted = false;
        const QString name = scanField(line, fieldStart(lower, u"name="), quoted);
        const QString value = scanField(line, fieldStart(lower, u"value="), quoted);
        slot.Query += encode(name, -1) + u'=' + encode(value, u'+');
    }

    slot.ResultCharset = ini.value(result, QStringLiteral("charset")).toLower();
    slot.ListStart = ini.value(result, QStringLiteral("ListStart"));
    slot.ListEnd = ini.value(result, QStringLiteral("ListEnd"));
    slot.ItemStart = ini.value(result, QStringLiteral("ItemStart"));
    slot.ItemEnd = ini.value(result, QStringLiteral("ItemEnd"));
    slot.RelevanceStart = ini.value(result, QStringLiteral("RelevanceStart"));
    slot.RelevanceEnd = ini.value(result, QStringLiteral("RelevanceEnd"));
    slot.BannerStart = ini.value(result, QStringLiteral("BannerStart"));
    slot.BannerEnd = ini.value(result, QStringLiteral("BannerEND"));
    slot.TitleStart = ini.value(result, QStringLiteral("TitleStart"));
    slot.LinkParam = ini.value(result, QStringLiteral("LinkParam")).trimmed();
    slot.Feed = ini.value(result, QStringLiteral("format"))
                    .trimmed()
                    .compare(u"feed", Qt::CaseInsensitive) == 0;
    slot.RelevanceByPosition = ini.value(result, QStringLiteral("Relevance"))
                                   .trimmed()
                                   .compare(u"position", Qt::CaseInsensitive) == 0;
    slot.CaptchaMarker = ini.value(result, QStringLiteral("Captcha"));
    slot.LinkParamBase64Prefix =
        ini.value(result, QStringLiteral("LinkParamBase64Prefix")).trimmed();
    slot.Json = ReadJsonResultKeys(ini, result);
    const auto refuse = [&usable, skipReason](const QString& reason) {
        if (usable && skipReason)
            *skipReason = reason;
        usable = false;
    };
    if (slot.Json.enabled) {
        // Templates are read again with each answer; here they are only
        // checked, so a plugin that cannot be read is not asked.
        JsonTemplate check;
        QString error;
        if (!check.parse(slot.Json.title, error))
            refuse(u"TitleQuery: "_s + error);
        else if (!check.parse(slot.Json.content, error))
            refuse(u"ContentQuery: "_s + error);
        else if (!ParseContentMaxLength(ini.value(result, QStringLiteral("ContentMaxLength")),
                                        slot.JsonContentMaxLength, error))
            refuse(error);
    }
    if (slot.Feed) {
        slot.FeedElements.title = ini.value(result, QStringLiteral("TitleElement")).trimmed();
        slot.FeedElements.text = ini.value(result, QStringLiteral("TextElement")).trimmed();
        slot.FeedElements.link = ini.value(result, QStringLiteral("LinkElement")).trimmed();
        const QString length = ini.value(result, QStringLiteral("ContentMaxLength"));
        QString error;
        if (!length.trimmed().isEmpty() &&
            !ParseContentMaxLength(length, slot.FeedElements.textMaxLength, error))
            refuse(error);
    }

    // The user's own key, from the user's settings, never from the file.
    const PluginKeyDeclaration key = ReadPluginKeyDeclaration(ini);
    if (key.declared && !key.error.isEmpty()) {
        refuse(key.error);
    } else if (key.declared) {
        const QString value = LoadUserKey(paths, pluginName);
        if (!value.isEmpty())
            ApplyPluginKey(key, value, slot);
        else if (key.required)
            refuse(QString::fromUtf16(MissingKeyStatus));
    }

    // A port that the action names is kept in the base address unless it is
    // the scheme's own, so relative links reach the same server.
    const int defaultPort = action.scheme == u"https" ? 443 : 80;
    slot.BaseUrl =
        action.scheme + u"://" + action.host +
        (action.explicitPort && action.port != defaultPort ? u':' + QString::number(action.port)
                                                           : QString()) +
        u'/';
    return usable;
}

} // namespace sokuri
