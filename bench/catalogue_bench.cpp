// Start-up of the core with many plugins installed: the catalogue reads the
// plugin folder, three keys of every plugin file, and sorts the entries.

#include "searchplugins/plugincatalogue.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

// A plugin file of the usual size: the three sections, two input lines and
// every marker.
QByteArray pluginFile(int i)
{
    const QByteArray n = QByteArray::number(i);
    return "[init]\r\nname=engine" + n + "\r\nurl=http://engine" + n +
           ".example.jp/\r\nversion=1." + n + "\r\nupdate=http://engine" + n +
           ".example.jp/plugin.ini\r\n"
           "[search]\r\naction=http://engine" +
           n +
           ".example.jp/cgi-bin/search.cgi\r\n"
           "method=GET\r\ncharset=x-sjis\r\ninpcount=2\r\n"
           "inp01=<input type=\"hidden\" name=\"lang\" value=\"ja\">\r\n"
           "inp02=<input type=\"text\" name=\"q\" user>\r\n"
           "[result]\r\ncharset=x-euc-jp\r\nListStart=<ol class=\"results\">\r\nListEnd=</ol>\r\n"
           "ItemStart=<li>\r\nItemEnd=</li>\r\nRelevanceStart=<span class=\"score\">\r\n"
           "RelevanceEnd=</span>\r\nBannerStart=<!--ad-->\r\nBannerEND=<!--/ad-->\r\n";
}

void BM_CatalogueLoad(benchmark::State& st)
{
    QTemporaryDir dir;
    const AppPaths paths = InitAppState(dir.path()).paths;
    const int count = int(st.range(0));
    for (int i = 0; i < count; ++i) {
        QFile file(paths.PluginPath + u"/engine"_s + QString::number(i) + u".ini"_s);
        if (!file.open(QIODevice::WriteOnly) || file.write(pluginFile(i)) < 0) {
            st.SkipWithError("cannot write the plugin files");
            return;
        }
    }
    for (auto _ : st) {
        PluginCatalogue catalogue;
        catalogue.load(paths);
        if (catalogue.count() != count) {
            st.SkipWithError("a plugin was not listed");
            break;
        }
        benchmark::DoNotOptimize(catalogue.entries().data());
    }
    st.SetItemsProcessed(st.iterations() * count);
}
BENCHMARK(BM_CatalogueLoad)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
