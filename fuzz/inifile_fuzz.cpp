// Arbitrary bytes as an INI file: every value the program reads from its
// settings and plugin files, and the names the file itself holds, through the
// reader; then one key written and read back.

#include "common/inifile.h"

#include "encoding/codepage932.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::fuzz::Check;

namespace {

using Name = std::pair<QString, QString>;

// The sections and keys that the settings loader, the catalogue and the
// request builder ask for.
const QList<Name>& programNames()
{
    static const QList<Name> names = [] {
        QList<Name> list;
        for (const QString& key : {u"type"_s, u"filename"_s, u"host"_s, u"port"_s})
            list.append({u"chasen"_s, key});
        for (const QString& key : {u"name"_s, u"url"_s, u"version"_s, u"update"_s})
            list.append({u"init"_s, key});
        for (const QString& key :
             {u"action"_s, u"method"_s, u"charset"_s, u"inpcount"_s, u"inp01"_s, u"inp02"_s})
            list.append({u"search"_s, key});
        for (const QString& key : {u"charset"_s, u"ListStart"_s, u"ItemEnd"_s, u"BannerEND"_s})
            list.append({u"result"_s, key});
        return list;
    }();
    return names;
}

// The names written in the file as a person would read them: the text
// between "[" and "]" of a line, and the text before the "=" of a line. The
// reader's own rules decide what they are; asking for them reaches the paths
// where names do match.
void namesInFile(QByteArrayView bytes, QStringList& sections, QStringList& keys)
{
    constexpr qsizetype most = 8;
    qsizetype begin = 0;
    while (begin < bytes.size() && (sections.size() < most || keys.size() < most)) {
        qsizetype end = begin;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArrayView line = bytes.sliced(begin, end - begin);
        const qsizetype open = line.indexOf('[');
        const qsizetype close = line.indexOf(']');
        const qsizetype equals = line.indexOf('=');
        if (open >= 0 && close > open && sections.size() < most)
            sections.append(cp932::decode(line.sliced(open + 1, close - open - 1)).trimmed());
        else if (equals > 0 && keys.size() < most)
            keys.append(cp932::decode(line.first(equals)).trimmed());
        begin = end + 1;
    }
}

void checkValue(const IniFile& ini, const QString& section, const QString& key)
{
    const QString value = ini.value(section, key);
    // Every character takes at least one byte of the file.
    Check(value.size() <= IniFile::MaxValueBytes, "a value holds at most 1023 bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::InputBytes(data, size).toByteArray();
    const IniFile ini = IniFile::fromBytes(bytes);
    for (const auto& [section, key] : programNames())
        checkValue(ini, section, key);

    QStringList sections;
    QStringList keys;
    namesInFile(bytes, sections, keys);
    for (const QString& section : sections) {
        for (const QString& key : keys)
            checkValue(ini, section, key);
    }

    // Writing one key: it reads back as written, and no other value the
    // program reads changes.
    const QList<Name>& names = programNames();
    const qsizetype chosen = size == 0 ? 0 : qsizetype(data[0] % names.size());
    const auto& [section, key] = names[chosen];
    QString value;
    for (size_t i = 1; i < size && value.size() < 40; ++i) {
        const char c = char(data[i]);
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c == '.' || c == '/')
            value.append(QLatin1Char(c));
    }
    IniFile written = ini;
    written.setValue(section, key, value);
    Check(written.value(section, key) == value, "a written key reads back as written");
    for (const auto& [otherSection, otherKey] : names) {
        if (otherSection == section && otherKey == key)
            continue;
        Check(written.value(otherSection, otherKey) == ini.value(otherSection, otherKey),
              "writing one key leaves the other values as they were");
    }
    return 0;
}
