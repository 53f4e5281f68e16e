#include "common/settings.h"

#include "common/inifile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace sokuri {

qint16 ParseSettingsType(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^[ \t]*([+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+))[ \t]*$)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    const double value = std::floor(match.captured(1).toDouble());
    if (value <= std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    if (value >= std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    return qint16(value);
}

bool LoadSettings(const AppPaths& paths, ChasenSettings& settings, UserMessage* message)
{
    if (!QFileInfo(paths.IniPath).isFile()) {
        if (message)
            *message = {paths.IniPath + u" がありません。", QStringLiteral("File not found")};
        return false;
    }
    const IniFile ini = IniFile::load(paths.IniPath);
    const QString section = QStringLiteral("chasen");
    settings.type = ParseSettingsType(ini.value(section, QStringLiteral("type")));
    settings.filename = ini.value(section, QStringLiteral("filename"));
    settings.host = ini.value(section, QStringLiteral("host"));
    settings.port = ini.value(section, QStringLiteral("port"));
    return true;
}

KeywordSettings LoadKeywordSettings(const QString& iniPath)
{
    const IniFile ini = IniFile::load(iniPath);
    const QString section = QStringLiteral("keywords");
    KeywordSettings settings;
    settings.compound = ini.value(section, QStringLiteral("compound")).trimmed() == u"1";
    bool ok = false;
    const int max = ini.value(section, QStringLiteral("max")).trimmed().toInt(&ok);
    settings.max = ok && max >= 1 && max <= 101 ? max : 0;
    return settings;
}

int ParseTimeoutSeconds(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"(^[ \t]*([0-9]{1,6})[ \t]*$)"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

int LoadSearchTimeout(const AppPaths& paths)
{
    return ParseTimeoutSeconds(
        GetIniString(QStringLiteral("search"), QStringLiteral("timeout"), paths.IniPath));
}

} // namespace sokuri
