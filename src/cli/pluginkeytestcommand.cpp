#include "cli/pluginkeytest.h"

#include "app/pluginselftest.h"
#include "common/inifile.h"
#include "common/settings.h"
#include "common/userkeys.h"
#include "searchplugins/plugincatalogue.h"
#include "searchplugins/pluginfolder.h"
#include "searchplugins/pluginkey.h"

#include <QEventLoop>
#include <QFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace sokuri::cli {

namespace {

QStringList pluginNames(const AppPaths& paths)
{
    PluginCatalogue catalogue;
    catalogue.load(paths);
    QStringList names;
    for (const CatalogueEntry& entry : catalogue.entries())
        names.append(entry.text);
    return names;
}

} // namespace

int PluginKey(const CliContext& context, const QString& plugin, const QString& value, bool clear)
{
    if (!pluginNames(context.paths).contains(plugin)) {
        context.err << "sokuri-cli: " << plugin << " というプラグインがありません。" << Qt::endl;
        return Failed;
    }
    const PluginKeyDeclaration declaration =
        ReadPluginKeyDeclaration(IniFile::load(PluginFilePath(context.paths, plugin)));
    if (!declaration.declared && !clear) {
        context.err << "sokuri-cli: " << plugin << " はキーを使いません。" << Qt::endl;
        return Failed;
    }
    QString key = clear ? QString() : value;
    // "-" reads the key from standard input, so it does not stand in the
    // command line that other users can see.
    if (!clear && value == u"-") {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            context.err << "sokuri-cli: 標準入力を読めません。" << Qt::endl;
            return Failed;
        }
        key = QString::fromUtf8(in.readLine(64 * 1024)).trimmed();
    }
    if (!clear && key.isEmpty()) {
        context.err << "sokuri-cli: キーが空です (消すには --clear)。" << Qt::endl;
        return Failed;
    }
    QString error;
    if (!SaveUserKey(context.paths, plugin, key, &error)) {
        context.err << error << Qt::endl;
        return Failed;
    }
    context.err << plugin << (clear ? u": キーを消しました。"_s : u": キーを設定しました。"_s)
                << Qt::endl;
    return Done;
}

int PluginTest(const CliContext& context, const QStringList& plugins, bool all, int timeout)
{
    QStringList names = plugins;
    if (all)
        names = pluginNames(context.paths);
    PluginSelfTest test(context.paths);
    test.setDefaultTimeout(timeout > 0 ? timeout : LoadSearchTimeout(context.paths));
    QObject::connect(&test, &PluginSelfTest::reported, &test,
                     [&context](const PluginTestReport& report) {
                         context.out << DescribeTestReport(report) << Qt::flush;
                     });
    QEventLoop loop;
    QObject::connect(&test, &PluginSelfTest::finished, &loop, &QEventLoop::quit);
    test.start(names);
    loop.exec();
    int passed = 0;
    for (const PluginTestReport& report : test.reports())
        passed += report.passed() ? 1 : 0;
    context.out << u"%1 / %2 件のプラグインが結果を返しました。"_s.arg(passed).arg(
                       test.reports().size())
                << Qt::endl;
    return passed == test.reports().size() && !test.reports().isEmpty() ? Done : Failed;
}

} // namespace sokuri::cli
