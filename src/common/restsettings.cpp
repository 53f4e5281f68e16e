#include "common/restsettings.h"

#include "common/inifile.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace sokuri {

namespace {

const QString Section = QStringLiteral("rest");

// A whole number of at least 0 with blanks around it, at most nine digits.
std::optional<int> seconds(const IniFile& ini, const QString& key)
{
    static const QRegularExpression number(QStringLiteral(R"(^[ \t]*([0-9]{1,9})[ \t]*$)"));
    const QRegularExpressionMatch match = number.match(ini.value(Section, key));
    if (!match.hasMatch())
        return std::nullopt;
    return std::min(match.captured(1).toInt(), RestSettings::MaxRestSeconds);
}

} // namespace

RestSettings LoadRestSettings(const AppPaths& paths)
{
    RestSettings settings;
    const IniFile ini = IniFile::load(paths.IniPath);
    settings.obeyRetryAfter = seconds(ini, QStringLiteral("retryafter")).value_or(0) != 0;
    settings.tooManySeconds = seconds(ini, QStringLiteral("toomany")).value_or(0);
    settings.challengeSeconds = seconds(ini, QStringLiteral("challenge")).value_or(0);
    settings.failureSeconds = seconds(ini, QStringLiteral("failure")).value_or(0);
    settings.failureMaxSeconds =
        seconds(ini, QStringLiteral("failuremax")).value_or(settings.failureMaxSeconds);
    if (const auto longest = seconds(ini, QStringLiteral("longest")); longest && *longest > 0)
        settings.longestSeconds = *longest;
    return settings;
}

QString RestStatePath(const AppPaths& paths)
{
    return paths.AppPath + QStringLiteral("/engine-rests.json");
}

} // namespace sokuri
