#include "common/appstate.h"

#include <QDir>
#include <QFileInfo>

#include <cfenv>
#include <cmath>

namespace sokuri {

AppPaths ResolveAppPaths(const QString& appDir)
{
    AppPaths paths;
    QString app = QDir::cleanPath(QFileInfo(appDir).absoluteFilePath());
    paths.AppPath = app;
    // A root folder keeps its "/"; every other one has none at its end.
    const QString base = app.endsWith(u'/') ? app.chopped(1) : app;
    paths.PluginPath = base + u"/plugins";
    paths.TmpPath = base + u"/tmp";
    paths.IniPath = base + u"/sokuri.ini";
    paths.HelpPath = base + u"/help/index.html";
    return paths;
}

namespace {

int roundHalfToEven(double value)
{
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(oldMode);
    return int(rounded);
}

bool ensureFolder(const QString& path, QString* errorText)
{
    if (QFileInfo(path).isDir())
        return true;
    if (QDir().mkdir(path))
        return true;
    if (errorText && errorText->isEmpty())
        *errorText = path + u" を作成できません。";
    return false;
}

} // namespace

AppState InitAppState(const QString& appDir, double scrollBarWidthTwips, QString* errorText)
{
    AppState state;
    state.paths = ResolveAppPaths(appDir);
    ensureFolder(state.paths.PluginPath, errorText);
    ensureFolder(state.paths.TmpPath, errorText);
    state.metrics.ScrollBarWidth = roundHalfToEven(scrollBarWidthTwips);
    state.metrics.ColumnMargin = 60;
    return state;
}

} // namespace sokuri
