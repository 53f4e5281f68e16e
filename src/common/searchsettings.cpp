#include "common/searchsettings.h"

#include "common/inifile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace sokuri {

namespace {

const QString Section = QStringLiteral("search");

// A whole number with blanks around it, at most nine digits.
std::optional<int> wholeNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"(^[ \t]*(-?[0-9]{1,9})[ \t]*$)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

} // namespace

SearchSettings LoadSearchSettings(const AppPaths& paths)
{
    SearchSettings settings;
    const IniFile ini = IniFile::load(paths.IniPath);
    if (const auto connections = wholeNumber(ini.value(Section, QStringLiteral("connections"))))
        settings.connections = std::clamp(*connections, SearchSettings::MinConnections,
                                          SearchSettings::MaxConnections);
    if (const auto interval = wholeNumber(ini.value(Section, QStringLiteral("interval"))))
        settings.intervalMs = std::clamp(*interval, 0, SearchSettings::MaxIntervalMs);
    if (const auto merge = wholeNumber(ini.value(Section, QStringLiteral("merge"))))
        settings.merge = *merge != 0;
    return settings;
}

bool SaveMergeChoice(const AppPaths& paths, bool merge, QString* errorText)
{
    if (!QFileInfo(paths.IniPath).isFile())
        return true;
    return WriteIniString(Section, QStringLiteral("merge"),
                          merge ? QStringLiteral("1") : QStringLiteral("0"), paths.IniPath,
                          errorText);
}

} // namespace sokuri
