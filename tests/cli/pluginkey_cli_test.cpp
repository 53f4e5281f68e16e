// The user's own keys and the plugins' self-tests through sokuri-cli, run as
// the real program against local test engines; and the shipped plugin files
// read as files.

#include "common/inifile.h"
#include "encoding/codepage932.h"
#include "support/engineplugins.h"
#include "support/testfiles.h"
#include "testengine/pageencoding.h"
#include "testengine/testengine.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;
const QByteArray Secret = "S3cr3t-Key_0042";

class CliKeys : public ::testing::Test
{
protected:
    CliKeys()
    {
        paths = InitAppState(dir.path()).paths;
        writeFile(paths.IniPath, "[chasen]\r\ntype=0\r\nfilename=/usr/bin/chasen\r\n");
    }

    // A plugin of an engine on 127.0.0.1 whose [init] section also holds
    // initLines.
    void plugin(const QString& name, TestEngine& engine, const QString& initLines,
                const QStringList& titles = {u"京都の寺"_s, u"奈良の寺"_s})
    {
        EnginePlugin file(name, engine.port());
        file.resultCharset = u"x-euc-jp"_s;
        writeEnginePlugin(paths, file);
        const QString path = paths.PluginPath + u'/' + name + u".ini"_s;
        QString text = cp932::decode(readFile(path));
        text.replace(u"[search]\r\n"_s, initLines + u"[search]\r\n"_s);
        writeSjisFile(path, text);
        EnginePage page;
        page.body = EncodePage(resultPage(titles), u"x-euc-jp"_s);
        engine.setPage(u"/s"_s, page);
    }

    int run(const QStringList& arguments, const QByteArray& input = {})
    {
        QProcess process;
        process.setProgram(QStringLiteral(SOKURI_APP_DIR "/sokuri-cli"));
        process.setArguments(QStringList{u"--app-dir"_s, dir.path()} + arguments);
        QSignalSpy finished(&process, &QProcess::finished);
        process.start();
        if (!input.isNull()) {
            process.write(input);
            process.closeWriteChannel();
        }
        if (!finished.wait(HangGuardMs)) {
            ADD_FAILURE() << "sokuri-cli did not end";
            process.kill();
            process.waitForFinished();
        }
        out = process.readAllStandardOutput();
        err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // Every file of the application folder but the user's keys.
    QByteArray everyOtherFile()
    {
        QByteArray all;
        QDir folder(dir.path());
        for (const QString& name : folder.entryList(QDir::Files))
            if (name != u"userkeys.ini")
                all += readFile(folder.filePath(name));
        for (const QString& name : QDir(paths.PluginPath).entryList(QDir::Files))
            all += readFile(paths.PluginPath + u'/' + name);
        return all;
    }

    TempAppDir dir;
    AppPaths paths;
    QByteArray out;
    QByteArray err;
};

} // namespace

TEST_F(CliKeys, AKeyGoesInItsFieldAndNowhereElse)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    plugin(u"alpha"_s, engine, u"userkey=appid\r\nuserkeyfield=appid\r\n"_s);

    ASSERT_EQ(run({u"plugin"_s, u"key"_s, u"alpha"_s, QString::fromLatin1(Secret)}), 0)
        << err.data();
    EXPECT_FALSE(out.contains(Secret) || err.contains(Secret));

    const QString document = dir.file(u"run.skr"_s);
    ASSERT_EQ(run({u"search"_s, u"--plugin"_s, u"alpha"_s, u"--format"_s, u"jsonl"_s, u"--save"_s,
                   document, u"京都"_s}),
              0)
        << err.data();
    ASSERT_EQ(engine.requests().size(), 1);
    EXPECT_TRUE(
        engine.requests().constFirst().contains(QByteArray("&appid=" + Secret + " HTTP/1.0")))
        << engine.requests().constFirst().data();
    EXPECT_TRUE(out.contains("京都の寺"));
    EXPECT_FALSE(out.contains(Secret) || err.contains(Secret)) << err.data();
    EXPECT_FALSE(readFile(document).contains(Secret));

    ASSERT_EQ(run({u"search"_s, u"--plugin"_s, u"alpha"_s, u"--format"_s, u"csv"_s, u"京都"_s}), 0);
    EXPECT_TRUE(out.contains("奈良の寺"));
    EXPECT_FALSE(out.contains(Secret) || err.contains(Secret));
    ASSERT_EQ(run({u"show"_s, document}), 0);
    EXPECT_FALSE(out.contains(Secret));
    // Neither the settings nor the plugin file hold it: only the user's keys.
    EXPECT_FALSE(everyOtherFile().contains(Secret));
    EXPECT_FALSE(readFile(dir.file(u"userkeys.ini"_s)).isEmpty());

    ASSERT_EQ(run({u"plugin"_s, u"key"_s, u"alpha"_s, u"--clear"_s}), 0) << err.data();
    ASSERT_EQ(run({u"search"_s, u"--plugin"_s, u"alpha"_s, u"京都"_s}), 0);
    ASSERT_EQ(engine.requests().size(), 3);
    EXPECT_FALSE(engine.requests().constLast().contains("appid")) << "an absent key is left out";
}

TEST_F(CliKeys, AKeyFromStandardInputGoesInAHeaderLineEncoded)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    plugin(u"beta"_s, engine, u"userkey=token\r\nuserkeyheader=X-Api-Key: {key}\r\n"_s);
    ASSERT_EQ(run({u"plugin"_s, u"key"_s, u"beta"_s, u"-"_s}, Secret + "\r\nX-Evil: 1\n"), 0)
        << err.data();
    ASSERT_EQ(run({u"search"_s, u"--plugin"_s, u"beta"_s, u"京都"_s}), 0) << err.data();
    ASSERT_EQ(engine.requests().size(), 1);
    const QByteArray request = engine.requests().constFirst();
    // Only the first line of the input is the key; it stands in one line.
    EXPECT_TRUE(request.contains(QByteArray("\r\nX-Api-Key: " + Secret + "\r\n")))
        << request.data();
    EXPECT_FALSE(request.contains("X-Evil"));
}

TEST_F(CliKeys, AnEngineWhoseRequiredKeyIsMissingIsNotAsked)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    plugin(
        u"gamma"_s, engine,
        u"userkey=token\r\nuserkeyrequired=yes\r\nuserkeyheader=Authorization: Bearer {key}\r\n"_s);
    run({u"search"_s, u"--plugin"_s, u"gamma"_s, u"京都"_s});
    EXPECT_TRUE(engine.requests().isEmpty());
    EXPECT_TRUE(QString::fromUtf8(err).contains(u"キーが未設定"_s)) << err.data();

    ASSERT_EQ(run({u"plugin"_s, u"key"_s, u"gamma"_s, u"tok"_s}), 0);
    EXPECT_EQ(run({u"search"_s, u"--plugin"_s, u"gamma"_s, u"京都"_s}), 0) << err.data();
    ASSERT_EQ(engine.requests().size(), 1);
    EXPECT_TRUE(engine.requests().constFirst().contains("\r\nAuthorization: Bearer tok\r\n"));
}

TEST_F(CliKeys, KeyCommandsThatCannotWork)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    plugin(u"plain"_s, engine, {});
    EXPECT_EQ(run({u"plugin"_s, u"key"_s, u"nosuch"_s, u"x"_s}), 1);
    EXPECT_EQ(run({u"plugin"_s, u"key"_s, u"plain"_s, u"x"_s}), 1);
    EXPECT_TRUE(QString::fromUtf8(err).contains(u"キーを使いません"_s));
    EXPECT_EQ(run({u"plugin"_s, u"key"_s, u"plain"_s}), 2);
    EXPECT_EQ(run({u"plugin"_s, u"key"_s, u"plain"_s, u"x"_s, u"--clear"_s}), 2);
    EXPECT_EQ(run({u"plugin"_s, u"test"_s}), 2);
    EXPECT_EQ(run({u"plugin"_s, u"test"_s, u"plain"_s, u"--all"_s}), 2);
    EXPECT_FALSE(QFile::exists(dir.file(u"userkeys.ini"_s)));
}

TEST_F(CliKeys, PluginTestOverGoodEmptyAndRefusingEngines)
{
    TestEngine good;
    TestEngine empty;
    TestEngine refusing;
    ASSERT_TRUE(good.listen() && empty.listen() && refusing.listen());
    plugin(u"good"_s, good, u"testquery=寺院\r\n"_s);
    plugin(u"empty"_s, empty, {}, {});
    plugin(u"refusing"_s, refusing, {});
    EnginePage refused;
    refused.header = "HTTP/1.0 403 Forbidden\r\nContent-Type: text/html\r\n\r\n";
    refused.body = "<html><body>Forbidden</body></html>\r\n";
    refusing.setPage(u"/s"_s, refused);

    ASSERT_EQ(run({u"plugin"_s, u"test"_s, u"good"_s}), 0) << err.data();
    const QString report = QString::fromUtf8(out);
    EXPECT_TRUE(report.contains(u"good: 合格"_s)) << report.toStdString();
    EXPECT_TRUE(report.contains(u"検索語: 寺院"_s));
    EXPECT_TRUE(report.contains(u"件数: 2"_s));
    EXPECT_TRUE(report.contains(u"最初のタイトル: 京都の寺"_s));
    EXPECT_TRUE(report.contains(u"http://127.0.0.1:%1/doc/0"_s.arg(good.port())));
    EXPECT_TRUE(report.contains(QRegularExpression(u"時間: [0-9]+\\.[0-9] 秒"_s)));
    ASSERT_EQ(good.requests().size(), 1);
    EXPECT_TRUE(good.requests().constFirst().contains("q=%8E%9B%89@ HTTP/1.0"))
        << "寺院 in Shift_JIS";

    EXPECT_EQ(run({u"plugin"_s, u"test"_s, u"--all"_s}), 1);
    const QString all = QString::fromUtf8(out);
    EXPECT_TRUE(all.contains(u"good: 合格"_s)) << all.toStdString();
    EXPECT_TRUE(all.contains(u"empty: 不合格"_s));
    EXPECT_TRUE(all.contains(u"refusing: 不合格"_s));
    EXPECT_TRUE(all.contains(u"403"_s)) << all.toStdString();
    EXPECT_EQ(all.count(u"原因: "_s), 2);
    EXPECT_TRUE(all.contains(u"1 / 3 件"_s));
    // The default query is a common word.
    ASSERT_EQ(empty.requests().size(), 1);
    EXPECT_TRUE(empty.requests().constFirst().contains("q=%93%FA%96{ HTTP/1.0"))
        << "日本 in Shift_JIS";

    EXPECT_EQ(run({u"plugin"_s, u"test"_s, u"nosuch"_s}), 1);
    EXPECT_TRUE(QString::fromUtf8(out).contains(u"nosuch: 不合格"_s));
}

// Every plugin file that ships is clean: no section twice, no key twice in
// a section, and a header saying what its answers were checked against.
TEST(ShippedPluginFiles, AreClean)
{
    const QDir folder(QStringLiteral(SOKURI_APP_DIR "/plugins"));
    const QStringList files = folder.entryList({u"*.ini"_s}, QDir::Files);
    ASSERT_GE(files.size(), 28);
    const QRegularExpression section(u"^\\[([^\\]]*)\\]\\s*$"_s);
    const QRegularExpression key(u"^([^=;\\[][^=]*)="_s);
    for (const QString& name : files) {
        const QString text = cp932::decode(readFile(folder.filePath(name)));
        EXPECT_EQ(cp932::encode(text), readFile(folder.filePath(name))) << name.toStdString();
        QSet<QString> sections;
        QSet<QString> keys;
        QString current;
        for (const QString& raw : text.split(QRegularExpression(u"\r\n|\r|\n"_s))) {
            const QString line = raw.trimmed();
            if (const auto m = section.match(line); m.hasMatch()) {
                current = m.captured(1).toLower();
                EXPECT_FALSE(sections.contains(current))
                    << name.toStdString() << " [" << current.toStdString() << "]";
                sections.insert(current);
                continue;
            }
            if (const auto m = key.match(line); m.hasMatch()) {
                const QString k = current + u'/' + m.captured(1).trimmed().toLower();
                EXPECT_FALSE(keys.contains(k)) << name.toStdString() << " " << k.toStdString();
                keys.insert(k);
            }
        }
        const IniFile ini = IniFile::fromBytes(readFile(folder.filePath(name)));
        if (!ini.value(u"init"_s, u"url"_s).contains(u"127.0.0.1"_s)) {
            EXPECT_TRUE(text.startsWith(u';') && text.contains(u"checked"_s))
                << name.toStdString() << " names no answer it was checked against";
        }
    }
}

TEST_F(CliKeys, ARedirectNeitherShowsTheKeyNorCarriesItToAnotherHost)
{
    TestEngine first;
    TestEngine second;
    ASSERT_TRUE(first.listen() && second.listen());
    plugin(u"delta"_s, first, u"userkey=appid\r\nuserkeyfield=appid\r\n"_s);
    plugin(u"epsilon"_s, first, u"userkey=token\r\nuserkeyheader=X-Api-Key: {key}\r\n"_s);
    EnginePage moved;
    moved.header =
        "HTTP/1.0 302 Found\r\nLocation: http://localhost:" + QByteArray::number(second.port()) +
        "/s?q=x&appid=" + Secret + "\r\n\r\n";
    first.setPage(u"/s"_s, moved);
    EnginePage page;
    page.body = EncodePage(resultPage({u"移った先"_s}), u"x-euc-jp"_s);
    second.setPage(u"/s"_s, page);

    ASSERT_EQ(run({u"plugin"_s, u"key"_s, u"delta"_s, QString::fromLatin1(Secret)}), 0);
    ASSERT_EQ(run({u"plugin"_s, u"key"_s, u"epsilon"_s, QString::fromLatin1(Secret)}), 0);
    ASSERT_EQ(run({u"search"_s, u"--plugin"_s, u"delta"_s, u"--plugin"_s, u"epsilon"_s, u"京都"_s}),
              0)
        << err.data();
    EXPECT_TRUE(err.contains("localhost")) << "the move is shown: " << err.data();
    EXPECT_FALSE(err.contains(Secret) || out.contains(Secret)) << err.data();
    ASSERT_EQ(second.requests().size(), 2);
    for (const QByteArray& request : second.requests())
        EXPECT_FALSE(request.contains("X-Api-Key")) << request.data();
}
