// Searches through a proxy: the one named in sokuri.ini and the
// environment's, over real sockets to local test engines.

#include "app/searchrun.h"

#include "retrieval/resultsmodel.h"
#include "retrieval/searchconnection.h"
#include "searchplugins/plugincatalogue.h"
#include "support/engineplugins.h"
#include "support/fakeplatform.h"
#include "support/refusingport.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"
#include "testengine/testproxy.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QSslConfiguration>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;

struct ProxyCase
{
    const char* name;
    QString scheme;          // of the engine
    QString host;            // the engine's name, known to the proxy alone
    QByteArray ini;          // the section "proxy" of sokuri.ini; %1 the proxy's port
    QByteArray environment;  // http_proxy / https_proxy; %1 the proxy's port
    bool refusing = false;   // the proxy's port has no listener
    QString status;          // the engine's failure status, empty: rows arrive
    QByteArray proxyRequest; // the proxy's first request begins so
};

} // namespace

TEST(Proxy, SearchesGoThroughTheProxyOfTheSettingsOrTheEnvironment)
{
    const ProxyCase cases[] = {
        {"own proxy, absolute form",
         u"http"_s,
         u"engine.invalid"_s,
         "type=2\r\nhost=127.0.0.1\r\nport=%1\r\nuser=u\r\npassword=p\r\n",
         "",
         false,
         {},
         "GET http://engine.invalid:"},
        {"desktop proxy from http_proxy",
         u"http"_s,
         u"engine.invalid"_s,
         "type=1\r\n",
         "http://127.0.0.1:%1",
         false,
         {},
         "GET http://engine.invalid:"},
        {"no type: the desktop's",
         u"http"_s,
         u"engine.invalid"_s,
         "",
         "127.0.0.1:%1",
         false,
         {},
         "GET http://engine.invalid:"},
        {"https through CONNECT",
         u"https"_s,
         u"localhost"_s,
         "type=2\r\nhost=127.0.0.1\r\nport=%1\r\n",
         "",
         false,
         {},
         "CONNECT localhost:"},
        {"refusing proxy, http",
         u"http"_s,
         u"engine.invalid"_s,
         "type=2\r\nhost=127.0.0.1\r\nport=%1\r\n",
         "",
         true,
         u"プロキシ 127.0.0.1:%1: 接続を拒否されました"_s,
         {}},
        {"refusing proxy, https",
         u"https"_s,
         u"localhost"_s,
         "type=2\r\nhost=127.0.0.1\r\nport=%1\r\n",
         "",
         true,
         u"プロキシ 127.0.0.1:%1: 接続を拒否されました"_s,
         {}},
        {"type 0 ignores the environment",
         u"http"_s,
         u"engine.invalid"_s,
         "type=0\r\n",
         "http://127.0.0.1:%1",
         false,
         u"ホストが見つかりません"_s,
         {}},
    };
    const QString cert = QStringLiteral(SOKURI_TEST_TLS_DIR "/cert.pem");
    for (const ProxyCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestEngine engine;
        if (c.scheme == u"https") {
            ASSERT_TRUE(engine.listenTls(cert, QStringLiteral(SOKURI_TEST_TLS_DIR "/key.pem")));
        } else {
            ASSERT_TRUE(engine.listen());
        }
        EnginePage page;
        page.body = EncodePage(resultPage({u"京都"_s}), u"x-sjis"_s);
        engine.setPage(u"*"_s, page);
        TestProxy proxy;
        ASSERT_TRUE(proxy.listen());
        proxy.addHost(c.host);
        const sokuri::test::RefusingPort refusing;
        const QByteArray port = QByteArray::number(c.refusing ? refusing.port() : proxy.port());

        TempAppDir dir;
        const AppPaths paths = InitAppState(dir.path()).paths;
        writeFile(paths.IniPath,
                  "[chasen]\r\ntype=0\r\n[proxy]\r\n" + QByteArray(c.ini).replace("%1", port));
        EnginePlugin file(u"engine"_s, engine.port());
        file.host = c.host;
        file.scheme = c.scheme;
        writeEnginePlugin(paths, file);
        PluginCatalogue catalogue;
        catalogue.load(paths);
        catalogue.setCheckedByName(u"engine"_s, true);

        const QByteArray variable = c.scheme == u"https" ? "https_proxy" : "http_proxy";
        qputenv(variable, QByteArray(c.environment).replace("%1", port));
        ResultsModel results;
        RecordingMessages messages;
        SearchRun run(paths, catalogue, results, messages);
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        ASSERT_TRUE(configuration.addCaCertificates(cert));
        for (int i = 0; i < SearchRun::ConnectionCount; ++i)
            run.connection(i).setSslConfiguration(configuration);
        QSignalSpy finished(&run, &SearchRun::finished);
        run.start(InputMode::Keywords, u"京都"_s);
        if (finished.isEmpty()) {
            ASSERT_TRUE(finished.wait(HangGuardMs));
        }
        qunsetenv(variable);

        ASSERT_EQ(run.engineStatuses().size(), 1);
        const EngineStatus& status = run.engineStatuses().at(0);
        if (c.status.isEmpty()) {
            EXPECT_EQ(status.kind, EngineStatus::Done) << status.reason.toStdString();
            ASSERT_EQ(results.rowCount(), 1);
            EXPECT_EQ(results.rows().at(0).title, u"京都"_s);
            ASSERT_EQ(proxy.requests().size(), 1);
            EXPECT_TRUE(proxy.requests()[0].startsWith(c.proxyRequest))
                << proxy.requests()[0].toStdString();
            ASSERT_EQ(engine.requests().size(), 1);
            EXPECT_FALSE(engine.requests()[0].contains("Proxy-Authorization"));
        } else {
            EXPECT_EQ(status.kind, EngineStatus::Failed);
            EXPECT_EQ(status.reason, QString(c.status).replace(u"%1"_s, QString::fromLatin1(port)));
            EXPECT_TRUE(proxy.requests().isEmpty());
        }
    }
}
