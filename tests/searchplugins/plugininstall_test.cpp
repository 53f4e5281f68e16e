#include "searchplugins/plugininstaller.h"

#include "encoding/codepage932.h"
#include "searchplugins/plugincatalogue.h"
#include "searchplugins/pluginstore.h"
#include "support/fakeplatform.h"
#include "support/refusingport.h"
#include "support/testfiles.h"
#include "testengine/testengine.h"
#include "testengine/testproxy.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QSignalSpy>
#include <QSslConfiguration>

#include <gtest/gtest.h>

#include <functional>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 120000;

QString pluginText(const QString& name, const QString& action = u"https://engine.example/s"_s)
{
    return u"[init]\r\nname="_s + name +
           u"\r\nurl=https://engine.example/\r\nversion=1.0\r\n"
           u"[search]\r\naction="_s +
           action + u"\r\nmethod=GET\r\n"_s;
}

EnginePage servedAs(const QByteArray& body)
{
    EnginePage page;
    page.header = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
    page.body = body;
    return page;
}

class Install : public ::testing::Test
{
protected:
    Install()
    {
        EXPECT_TRUE(engine.listen()) << engine.errorString().toStdString();
        // The desktop's trash of these tests lies in their own folder.
        QDir().mkpath(dir.file(u"data"_s));
        qputenv("XDG_DATA_HOME", dir.file(u"data"_s).toLocal8Bit());
    }

    QString address(const QString& path) const
    {
        return u"http://127.0.0.1:%1%2"_s.arg(engine.port()).arg(path);
    }
    QString pluginFile(const QString& name) const
    {
        return paths.PluginPath + u'/' + name + u".ini";
    }
    QStringList pluginFolder() const { return QDir(paths.PluginPath).entryList(QDir::Files); }

    PluginInstallResult run(const std::function<bool()>& begin)
    {
        QSignalSpy finished(&installer, &PluginInstaller::finished);
        EXPECT_TRUE(begin());
        EXPECT_TRUE(finished.wait(HangGuardMs));
        return finished.isEmpty() ? PluginInstallResult{}
                                  : finished.first().first().value<PluginInstallResult>();
    }
    PluginInstallResult install(const QString& source)
    {
        return run([&] { return installer.install(source); });
    }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    TestEngine engine;
    PluginCatalogue catalogue;
    PluginInstaller installer{paths, &catalogue};
};

} // namespace

TEST_F(Install, FromAFileAndFromAnAddressOverHttpAndHttpsKeepingTheOthersMarks)
{
    writeSjisFile(pluginFile(u"beta"_s), pluginText(u"beta"_s));
    writeSjisFile(pluginFile(u"gamma"_s), pluginText(u"gamma"_s));
    catalogue.load(paths);
    catalogue.setCheckedByName(u"beta"_s, true);

    TestEngine tls;
    const QString cert = QStringLiteral(SOKURI_TEST_TLS_DIR "/cert.pem");
    ASSERT_TRUE(tls.listenTls(cert, QStringLiteral(SOKURI_TEST_TLS_DIR "/key.pem")));
    QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
    ASSERT_TRUE(trusted.addCaCertificates(cert));
    installer.download().setSslConfiguration(trusted);

    // A UTF-8 file is stored in Shift_JIS; a Shift_JIS one byte for byte.
    const QString fromFile = pluginText(u"青空文庫"_s);
    writeFile(dir.file(u"in/aozora.ini"_s), fromFile.toUtf8());
    const QByteArray sjis = cp932::encode(pluginText(u"国会図書館"_s));
    engine.setPage(u"/ndl.ini"_s, servedAs(sjis));
    tls.setPage(u"/secure.ini"_s, servedAs(cp932::encode(pluginText(u"secure"_s))));
    EnginePage moved;
    moved.header = "HTTP/1.0 302 Found\r\nLocation: /moved-here.ini\r\n\r\n";
    engine.setPage(u"/moved.ini"_s, moved);
    engine.setPage(u"/moved-here.ini"_s, servedAs(pluginText(u"moved"_s).toLatin1()));

    const struct
    {
        QString source;
        QString name;
        QByteArray stored;
    } cases[] = {
        {dir.file(u"in/aozora.ini"_s), u"青空文庫"_s, cp932::encode(fromFile)},
        {address(u"/ndl.ini"_s), u"国会図書館"_s, sjis},
        {u"https://localhost:%1/secure.ini"_s.arg(tls.port()), u"secure"_s,
         cp932::encode(pluginText(u"secure"_s))},
        {address(u"/moved.ini"_s), u"moved"_s, pluginText(u"moved"_s).toLatin1()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        const PluginInstallResult result = install(c.source);
        EXPECT_TRUE(result.installed) << result.errorText.toStdString();
        EXPECT_EQ(result.name, c.name);
        EXPECT_EQ(readFile(pluginFile(c.name)), c.stored);
    }
    QStringList names;
    for (const CatalogueEntry& entry : catalogue.entries())
        names.append(entry.text);
    EXPECT_EQ(names, QStringList({u"beta"_s, u"gamma"_s, u"moved"_s, u"secure"_s, u"国会図書館"_s,
                                  u"青空文庫"_s}));
    EXPECT_EQ(catalogue.checkedNames(), QStringList{u"beta"_s});
}

TEST_F(Install, WhatIsNoPluginIsRefusedWithTheReasonAndNothingIsWritten)
{
    EnginePage huge = servedAs(pluginText(u"huge"_s).toLatin1() + "; padding\r\n");
    huge.repeatBodyUntil = 4 * PluginDownload::MaxBytes;
    EnginePage stalled = servedAs({});
    stalled.header = "HTTP/1.0 200 OK\r\n";
    stalled.neverClose = true;
    engine.setPage(u"/huge.ini"_s, huge);
    engine.setPage(u"/stalled.ini"_s, stalled);
    engine.setPage(u"/page.html"_s, servedAs("<html><body>not found</body></html>"));
    installer.download().setTransferTimeout(500);

    const auto file = [this](const QString& name, const QByteArray& bytes) {
        writeFile(dir.file(u"in/"_s + name), bytes);
        return dir.file(u"in/"_s + name);
    };
    const QByteArray big = pluginText(u"big"_s).toLatin1() + QByteArray(64 * 1024, ';');
    const struct
    {
        QString source;
        QString reason;
    } cases[] = {
        {file(u"page.html"_s, "<html><body>Hello</body></html>"), u"name がありません"_s},
        {file(u"slash.ini"_s, pluginText(u"a/b"_s).toLatin1()), u"ファイル名に使えません"_s},
        {file(u"dots.ini"_s, pluginText(u"..evil"_s).toLatin1()), u"ファイル名に使えません"_s},
        {file(u"big.ini"_s, big), u"64 KiB を超えています"_s},
        {file(u"bytes.ini"_s, bytes({0x81, 0x20, 0xFF, 0xFE, 0x41})),
         u"Shift_JIS でも UTF-8 でも"_s},
        {file(u"nohost.ini"_s, pluginText(u"nohost"_s, u"/search"_s).toLatin1()),
         u"action に http: か https: のホストがありません"_s},
        {file(u"nourl.ini"_s, "[init]\r\nname=nourl\r\n"), u"url がありません"_s},
        {dir.file(u"in/missing.ini"_s), u"を読み込めません"_s},
        {u"ftp://127.0.0.1/a.ini"_s, u"http: か https: のアドレスではありません"_s},
        {address(u"/page.html"_s), u"name がありません"_s},
        {address(u"/huge.ini"_s), u"1 MiB を超えています"_s},
        {address(u"/stalled.ini"_s), u"/stalled.ini: "_s},
        {address(u"/missing.ini"_s), u"Not Found"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        const PluginInstallResult result = install(c.source);
        EXPECT_FALSE(result.installed);
        EXPECT_TRUE(result.errorText.contains(c.reason)) << result.errorText.toStdString();
        EXPECT_EQ(pluginFolder(), QStringList());
    }
    EXPECT_EQ(catalogue.count(), 0);
}

TEST_F(Install, ReplacingAPluginOfTheSameNameAsksFirst)
{
    writeSjisFile(pluginFile(u"alpha"_s), pluginText(u"alpha"_s));
    const QByteArray before = readFile(pluginFile(u"alpha"_s));
    const QString newer = pluginText(u"alpha"_s, u"https://new.example/s"_s);
    engine.setPage(u"/alpha.ini"_s, servedAs(newer.toLatin1()));

    QStringList asked;
    for (const bool answer : {false, true}) {
        installer.setConfirmReplace([&asked, answer](const QString& name) {
            asked.append(name);
            return answer;
        });
        const PluginInstallResult result = install(address(u"/alpha.ini"_s));
        EXPECT_EQ(result.installed, answer);
        EXPECT_EQ(readFile(pluginFile(u"alpha"_s)), answer ? newer.toLatin1() : before);
        if (!answer) {
            EXPECT_EQ(result.errorText,
                      u"プラグイン「alpha」は既にあります。置き換えませんでした。");
        }
    }
    EXPECT_EQ(asked, QStringList({u"alpha"_s, u"alpha"_s}));
}

TEST_F(Install, RemoveDeletesOnlyThatPluginsFileAfterAskingAndUpdatesTheList)
{
    for (const QString& name : {u"alpha"_s, u"beta"_s})
        writeSjisFile(pluginFile(name), pluginText(name));
    // A file whose name is not the plugin's.
    writeSjisFile(paths.PluginPath + u"/other.ini"_s, pluginText(u"gamma"_s));
    catalogue.load(paths);
    catalogue.setCheckedByName(u"beta"_s, true);
    RecordingMessages messages;

    messages.answers = {false, true, true};
    EXPECT_FALSE(RemovePluginAsked(paths, catalogue, messages, u"alpha"_s));
    EXPECT_TRUE(QFile::exists(pluginFile(u"alpha"_s)));
    EXPECT_TRUE(RemovePluginAsked(paths, catalogue, messages, u"alpha"_s));
    EXPECT_TRUE(RemovePluginAsked(paths, catalogue, messages, u"gamma"_s));
    ASSERT_EQ(messages.questions.size(), 3);
    EXPECT_EQ(messages.questions[0].text, u"プラグイン「alpha」を削除しますか?");
    EXPECT_EQ(pluginFolder(), QStringList{u"beta.ini"_s});
    ASSERT_EQ(catalogue.count(), 1);
    EXPECT_TRUE(catalogue.at(0).checked);
    EXPECT_TRUE(messages.criticals.isEmpty());

    for (const QString& name : {u"missing"_s, u"../beta"_s}) {
        QString error;
        EXPECT_FALSE(RemovePlugin(paths, name, &error));
        EXPECT_EQ(error, u"プラグイン「"_s + name + u"」はありません");
    }
    EXPECT_EQ(pluginFolder(), QStringList{u"beta.ini"_s});
}

// Downloads go through the proxy of sokuri.ini, and their failures are told
// in the program's own words.
TEST(InstallDownload, GoesThroughTheProxyAndFailsInTheProgramsWords)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    engine.setPage(u"/alpha.ini"_s, servedAs(pluginText(u"alpha"_s).toLatin1()));
    TestProxy proxy;
    ASSERT_TRUE(proxy.listen());
    proxy.addHost(u"plugins.invalid"_s);
    const sokuri::test::RefusingPort closed;
    const quint16 closedPort = closed.port();

    const QString viaProxy = u"http://plugins.invalid:%1/alpha.ini"_s.arg(engine.port());
    const struct
    {
        QByteArray proxySection;
        QString source;
        QString outcome; // empty: installed
    } cases[] = {
        {"type=2\r\nhost=127.0.0.1\r\nport=" + QByteArray::number(proxy.port()), viaProxy, {}},
        {"type=2\r\nhost=127.0.0.1\r\nport=" + QByteArray::number(closedPort), viaProxy,
         u"プロキシ 127.0.0.1:%1: 接続を拒否されました"_s.arg(closedPort)},
        {"type=0", viaProxy, u"ホストが見つかりません"_s},
        {"type=0", u"http://127.0.0.1:%1/alpha.ini"_s.arg(closedPort), u"接続を拒否されました"_s},
        {"type=0", u"http://127.0.0.1:%1/none.ini"_s.arg(engine.port()), u"HTTP 404 (Not Found)"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.proxySection.toStdString());
        TempAppDir dir;
        const AppPaths paths = InitAppState(dir.path()).paths;
        writeFile(paths.IniPath, "[chasen]\r\ntype=0\r\n[proxy]\r\n" + c.proxySection + "\r\n");
        PluginInstaller installer(paths, nullptr);
        QSignalSpy finished(&installer, &PluginInstaller::finished);
        ASSERT_TRUE(installer.install(c.source));
        ASSERT_TRUE(finished.wait(HangGuardMs));
        const auto result = finished.first().first().value<PluginInstallResult>();
        EXPECT_EQ(result.installed, c.outcome.isEmpty()) << result.errorText.toStdString();
        EXPECT_EQ(result.errorText,
                  c.outcome.isEmpty() ? QString() : c.source + u": "_s + c.outcome);
    }
    EXPECT_EQ(proxy.requests().size(), 1);
}
