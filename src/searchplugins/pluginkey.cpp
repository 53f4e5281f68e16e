#include "searchplugins/pluginkey.h"

#include "common/inifile.h"
#include "searchplugins/pluginslot.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

bool isYes(QStringView value)
{
    const QStringView v = value.trimmed();
    return v.compare(u"yes", Qt::CaseInsensitive) == 0 ||
           v.compare(u"true", Qt::CaseInsensitive) == 0 || v == u"1";
}

// A query field's name is sent as written: it must be a plain word.
bool isFieldName(QStringView name)
{
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               c == u'_' || c == u'-' || c == u'.';
    });
}

} // namespace

PluginKeyDeclaration ReadPluginKeyDeclaration(const IniFile& ini)
{
    const QString init = u"init"_s;
    PluginKeyDeclaration declaration;
    declaration.name = ini.value(init, u"userkey"_s).trimmed();
    declaration.declared = !declaration.name.isEmpty();
    if (!declaration.declared)
        return declaration;
    declaration.required = isYes(ini.value(init, u"userkeyrequired"_s));
    declaration.field = ini.value(init, u"userkeyfield"_s).trimmed();
    declaration.header = ini.value(init, u"userkeyheader"_s).trimmed();
    if (declaration.field.isEmpty() == declaration.header.isEmpty())
        declaration.error =
            u"userkeyfield か userkeyheader のどちらか一つでキーの行き先を書きます"_s;
    else if (!declaration.field.isEmpty() && !isFieldName(declaration.field))
        declaration.error = u"userkeyfield は英数字の名前です: "_s + declaration.field;
    else if (!declaration.header.isEmpty() &&
             (!declaration.header.contains(QStringView(KeyPlaceholder)) ||
              declaration.header.indexOf(u':') >
                  declaration.header.indexOf(QStringView(KeyPlaceholder))))
        declaration.error =
            u"userkeyheader は「名前: 値」の値に {key} を書きます: "_s + declaration.header;
    return declaration;
}

QString HeaderSafeKey(QStringView key)
{
    // Every visible ASCII character but "%" stays; anything else, a blank,
    // a control character or a byte of UTF-8, is percent-encoded.
    static const QByteArray visible = [] {
        QByteArray kept;
        for (char c = 0x21; c < 0x7f; ++c) {
            if (c != '%')
                kept += c;
        }
        return kept;
    }();
    return QString::fromLatin1(key.toUtf8().toPercentEncoding(visible));
}

void ApplyPluginKey(const PluginKeyDeclaration& declaration, const QString& key, PluginSlot& slot)
{
    if (!declaration.field.isEmpty()) {
        const QString encoded = QString::fromLatin1(key.toUtf8().toPercentEncoding());
        if (!slot.Query.isEmpty())
            slot.Query += u'&';
        slot.Query += declaration.field + u'=' + encoded;
        slot.UserKeyForms = {encoded, key};
    } else if (!declaration.header.isEmpty()) {
        const QString safe = HeaderSafeKey(key);
        slot.UserKeyHeader =
            QString(declaration.header).replace(QString::fromUtf16(KeyPlaceholder), safe);
        slot.Headers.append(slot.UserKeyHeader);
        slot.UserKeyForms = {safe, key};
    }
}

QString WithoutUserKey(QString text, const PluginSlot& slot)
{
    for (const QString& form : slot.UserKeyForms) {
        if (!form.isEmpty())
            text.replace(form, u"(キー)"_s);
    }
    return text;
}

} // namespace sokuri
