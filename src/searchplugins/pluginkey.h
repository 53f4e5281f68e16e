#pragma once

#include <QString>
#include <QStringView>

namespace sokuri {

class IniFile;
struct PluginSlot;

// A plugin's declaration that its engine takes a key of the user's own (the
// "init" keys "userkey", "userkeyrequired", "userkeyfield" and
// "userkeyheader"): the key's name as the user sees it, whether the engine
// can be asked without it, and where it goes: a query field, or a header
// line whose value holds "{key}" where the key stands. The key itself is
// never in the plugin file (see userkeys.h).
struct PluginKeyDeclaration
{
    bool declared = false; // the plugin names a key ("userkey")
    QString name;          // "appid", "アクセストークン"
    bool required = false; // not asked without the key
    QString field;         // the query field's name, or empty
    QString header;        // "Authorization: Bearer {key}", or empty
    QString error;         // why the declaration cannot be used; empty when it can
};

// The placeholder of the key in a declared header line.
inline constexpr char16_t KeyPlaceholder[] = u"{key}";

// The status of an engine whose required key the user has not set.
inline constexpr char16_t MissingKeyStatus[] = u"キーが未設定";

PluginKeyDeclaration ReadPluginKeyDeclaration(const IniFile& ini);

// The key as it stands in a header line: every byte of its UTF-8 form
// outside the visible ASCII characters, and "%" itself, percent-encoded, so
// it can never end the line or add one.
QString HeaderSafeKey(QStringView key);

// Adds key to the request of slot as declared: "&field=" and the key
// percent-encoded over UTF-8 (nothing but letters, digits and "-._~" passes,
// so it can never add a field), or the header line with the key in it.
void ApplyPluginKey(const PluginKeyDeclaration& declaration, const QString& key, PluginSlot& slot);

// text with every form of the slot's key replaced by "(キー)", for statuses
// that show an address of the request.
QString WithoutUserKey(QString text, const PluginSlot& slot);

} // namespace sokuri
