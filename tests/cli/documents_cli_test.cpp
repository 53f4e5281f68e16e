#include "cli/runcli.h"

#include "documents/documentformat.h"
#include "support/testfiles.h"
#include "testengine/testengine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::bytes;
using sokuri::test::EnginePage;
using sokuri::test::readFile;
using sokuri::test::TempAppDir;
using sokuri::test::TestEngine;
using sokuri::test::writeFile;

namespace {

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& arguments)
{
    CliRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = cli::RunCli(QStringList{u"sokuri-cli"_s} + arguments, u"/nonexistent"_s, out, err);
    return run;
}

QJsonObject parseObject(const QString& text)
{
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(text.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    return json.object();
}

} // namespace

TEST(CliShow, PrintsTheExampleDocument)
{
    TempAppDir dir;
    const QString path = dir.file(u"example.skr"_s);
    writeFile(path, bytes({0x05, 0x00, 0x00, 0x00}) + "0.9.3" + bytes({0x03, 0x00}) + "abc" +
                        bytes({0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0x05, 0x00}) + "alpha" +
                        bytes({0xFF, 0xFF, 0x04, 0x00}) + "beta" +
                        bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    const CliRun run = runCli({u"show"_s, path});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(u'\n'), 1);
    const QJsonObject object = parseObject(run.out);
    EXPECT_EQ(object.value(u"version"_s).toString(), u"0.9.3");
    EXPECT_EQ(object.value(u"text"_s).toString(), u"abc");
    EXPECT_EQ(object.value(u"mode"_s).toInt(-1), 2);
    const QJsonArray expectedPlugins{QJsonObject{{u"name"_s, u"alpha"_s}, {u"checked"_s, true}},
                                     QJsonObject{{u"name"_s, u"beta"_s}, {u"checked"_s, false}}};
    EXPECT_EQ(object.value(u"plugins"_s).toArray(), expectedPlugins);
    EXPECT_EQ(object.value(u"rows"_s).toArray(), QJsonArray());
}

TEST(CliShow, PrintsRowsWithTheJsonlKeysInFileOrder)
{
    TempAppDir dir;
    const QString path = dir.file(u"rows.skr"_s);
    Document document;
    document.text = u"京都"_s;
    document.mode = 7;
    document.rows = {{u"二番"_s, u"beta"_s, u" 50"_s, u"jp.b"_s, u"<i>2</i>"_s},
                     {u"一番"_s, u"alpha"_s, u"100"_s, u"jp.a"_s, u"<b>1</b>"_s}};
    ASSERT_TRUE(WriteDocumentFile(path, document));
    const CliRun run = runCli({u"show"_s, path});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonObject object = parseObject(run.out);
    EXPECT_EQ(object.value(u"text"_s).toString(), u"京都");
    EXPECT_EQ(object.value(u"mode"_s).toInt(-1), 7);
    const QJsonArray rows = object.value(u"rows"_s).toArray();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.at(0).toObject(), (QJsonObject{{u"title"_s, u"二番"_s},
                                                  {u"plugin"_s, u"beta"_s},
                                                  {u"relevance"_s, u" 50"_s},
                                                  {u"site"_s, u"jp.b"_s},
                                                  {u"html"_s, u"<i>2</i>"_s}}));
    EXPECT_EQ(rows.at(1).toObject().value(u"title"_s).toString(), u"一番");
}

TEST(CliShow, BadFilesAndWrongUsageFail)
{
    TempAppDir dir;
    const QString missing = dir.file(u"missing.skr"_s);
    CliRun run = runCli({u"show"_s, missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, u"");
    EXPECT_TRUE(run.err.startsWith(missing)) << run.err.toStdString();

    const QString broken = dir.file(u"broken.skr"_s);
    writeFile(broken, "not a document at all");
    run = runCli({u"show"_s, broken});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, u"");
    EXPECT_TRUE(run.err.startsWith(broken)) << run.err.toStdString();

    for (const QStringList& wrong : {QStringList{u"show"_s}, {u"show"_s, broken, broken}}) {
        run = runCli(wrong);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(u"usage: sokuri-cli show FILE.skr")) << run.err.toStdString();
    }
}

TEST(CliUpdate, PrintsOneLineAPluginAndTheSummary)
{
    TestEngine engine;
    ASSERT_TRUE(engine.listen());
    TempAppDir dir;
    const auto plugin = [&](const QString& name, const QString& version, const QString& update) {
        return (u"[init]\r\nname="_s + name + u"\r\nurl=http://home/\r\nversion="_s + version +
                (update.isEmpty() ? QString() : u"\r\nupdate="_s + update) + u"\r\n"_s)
            .toLatin1();
    };
    const QString base = u"http://127.0.0.1:%1"_s.arg(engine.port());
    writeFile(dir.file(u"plugins/alpha.ini"_s), plugin(u"alpha"_s, u"1.1"_s, base + u"/a.ini"));
    writeFile(dir.file(u"plugins/beta.ini"_s), plugin(u"beta"_s, u"1.1"_s, base + u"/b.ini"));
    writeFile(dir.file(u"plugins/gamma.ini"_s), plugin(u"gamma"_s, u"1.0"_s, QString()));
    writeFile(dir.file(u"plugins/delta.ini"_s), plugin(u"delta"_s, u"1.0"_s, base + u"/none"));
    EnginePage a;
    a.body = plugin(u"alpha"_s, u"1.2"_s, base + u"/a.ini");
    engine.setPage(u"/a.ini"_s, a);
    EnginePage b;
    b.body = plugin(u"beta"_s, u"1.1"_s, base + u"/b.ini");
    engine.setPage(u"/b.ini"_s, b);

    const CliRun run = runCli({u"--app-dir"_s, dir.path(), u"update"_s});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n');
    ASSERT_EQ(lines.size(), 6) << run.out.toStdString();
    EXPECT_EQ(lines[0], u"alpha\tupdated\t1.1 -> 1.2");
    EXPECT_EQ(lines[1], u"beta\tunchanged\t1.1");
    EXPECT_TRUE(lines[2].startsWith(u"delta\tfailed\t")) << lines[2].toStdString();
    EXPECT_EQ(lines[3], u"gamma\tskipped\tno update address");
    EXPECT_EQ(lines[4], u"summary: 1 updated, 1 unchanged, 1 skipped, 1 failed");
    EXPECT_EQ(lines[5], u"");
    EXPECT_EQ(readFile(dir.file(u"plugins/alpha.ini"_s)), a.body);
    EXPECT_TRUE(run.err.contains(u"プラグインのアップデートが完了しました。"));
    EXPECT_TRUE(run.err.contains(u"alpha　アップデート処理中"));

    const CliRun wrong = runCli({u"--app-dir"_s, dir.path(), u"update"_s, u"extra"_s});
    EXPECT_EQ(wrong.status, 2);
}
