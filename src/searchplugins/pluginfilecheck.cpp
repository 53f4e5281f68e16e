#include "searchplugins/pluginfilecheck.h"

#include "common/inifile.h"
#include "encoding/codepage932.h"
#include "searchplugins/pluginfolder.h"

#include <QStringDecoder>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

bool isAscii(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

// The text of a UTF-8 file in Shift_JIS; empty with errorText set when a
// character has no Shift_JIS form.
QByteArray utf8ToShiftJis(QByteArrayView utf8, QString& errorText)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(utf8);
    const QByteArray sjis = cp932::encode(text);
    const QString back = cp932::decode(sjis);
    for (qsizetype i = 0; i < text.size() && i < back.size(); ++i) {
        if (text[i] != back[i]) {
            const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            errorText = u"Shift_JIS で表せない文字があります: "_s + text.mid(i, width);
            return {};
        }
    }
    if (back.size() != text.size()) {
        errorText = u"Shift_JIS で表せない文字があります"_s;
        return {};
    }
    return sjis;
}

} // namespace

PluginFileCheck CheckPluginFile(const QByteArray& bytes)
{
    PluginFileCheck check;
    if (bytes.size() > MaxPluginFileBytes) {
        check.errorText =
            u"プラグインファイルが 64 KiB を超えています (%1 バイト)"_s.arg(bytes.size());
        return check;
    }
    if (bytes.contains('\0')) {
        check.errorText = u"テキストファイルではありません"_s;
        return check;
    }

    static const QByteArray bom("\xEF\xBB\xBF");
    QByteArray sjis;
    if (bytes.startsWith(bom) || (!isAscii(bytes) && [&bytes] {
            QStringDecoder decoder(QStringDecoder::Utf8);
            const QString text = decoder(bytes);
            return !decoder.hasError();
        }())) {
        sjis = utf8ToShiftJis(bytes.startsWith(bom) ? QByteArrayView(bytes).sliced(bom.size())
                                                    : QByteArrayView(bytes),
                              check.errorText);
        if (!check.ok())
            return check;
    } else {
        // Code page 932 gives U+FFFD only for bytes that are no character.
        if (cp932::decode(bytes).contains(QChar::ReplacementCharacter)) {
            check.errorText = u"Shift_JIS でも UTF-8 でもありません"_s;
            return check;
        }
        sjis = bytes;
    }

    const IniFile ini = IniFile::fromBytes(sjis);
    const QString name = ini.value(u"init"_s, u"name"_s);
    if (name.isEmpty()) {
        check.errorText = u"プラグインファイルではありません ([init] の name がありません)"_s;
        return check;
    }
    if (!IsSafePluginName(name)) {
        check.errorText =
            u"プラグイン名「%1」はファイル名に使えません (\"/\", \"\\\", \"..\" や制御文字を含みます)"_s
                .arg(name);
        return check;
    }
    if (ini.value(u"init"_s, u"url"_s).isEmpty()) {
        check.errorText = u"プラグインファイルではありません ([init] の url がありません)"_s;
        return check;
    }
    const QString action = ini.value(u"search"_s, u"action"_s);
    const QUrl actionUrl(action);
    const QString scheme = actionUrl.scheme().toLower();
    if (actionUrl.host().isEmpty() || (scheme != u"http" && scheme != u"https")) {
        check.errorText =
            u"[search] の action に http: か https: のホストがありません: "_s + action;
        return check;
    }
    check.name = name;
    check.bytes = sjis;
    return check;
}

} // namespace sokuri
