// The examples of the plugin guide, as a reader would use them: each plugin
// file of the guide read by the request builder, and the answer shown beside
// it cut into the rows the guide promises.

#include "common/appstate.h"
#include "retrieval/entryreader.h"
#include "retrieval/extraction.h"
#include "retrieval/replyreader.h"
#include "searchplugins/buildrequest.h"
#include "support/testfiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

// The fenced blocks of the guide's section that starts with heading.
QStringList blocksOf(const QString& heading)
{
    QFile file(QStringLiteral(SOKURI_TEST_DATA_DIR "/../../docs/plugins.md"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QString guide = QString::fromUtf8(file.readAll());
    const qsizetype start = guide.indexOf(heading);
    EXPECT_GE(start, 0) << heading.toStdString();
    const qsizetype end = guide.indexOf(u"\n## "_s, start + 1);
    const QString section = guide.mid(start, end < 0 ? -1 : end - start);
    static const QRegularExpression fence(u"```[a-z]*\\n(.*?)```"_s,
                                          QRegularExpression::DotMatchesEverythingOption);
    QStringList blocks;
    for (auto it = fence.globalMatch(section); it.hasNext();)
        blocks.append(it.next().captured(1));
    return blocks;
}

// The rows of answer for the guide's plugin file ini; a JSON answer is read
// whole, as at the close of its connection.
QList<ResultRow> rowsOf(const QString& ini, const QString& answer)
{
    TempAppDir dir;
    const AppPaths paths = InitAppState(dir.path()).paths;
    QString text = ini;
    text.replace(u'\n', u"\r\n"_s);
    const QString name = QRegularExpression(u"name=(\\S+)"_s).match(ini).captured(1);
    writeSjisFile(paths.PluginPath + u'/' + name + u".ini"_s, text);
    QString keywords = u"京都"_s;
    PluginSlot slot;
    EXPECT_TRUE(BuildRequest(paths, name, keywords, slot));
    SlotState state;
    QList<ResultRow> rows;
    if (const EntryReader& reader = EntryReaderFor(slot); reader.readsWholeBody()) {
        QString reason;
        EXPECT_TRUE(reader.readBody(slot, state, answer.toUtf8(), rows, reason))
            << reason.toStdString();
        return rows;
    }
    ReadReplyBytes(slot, state, QByteArray(answer.toUtf8() + "\r\n"), rows);
    return rows;
}

} // namespace

TEST(PluginGuide, ExamplesGiveTheRowsTheGuideDescribes)
{
    const QStringList today = blocksOf(u"## An engine of today"_s);
    ASSERT_EQ(today.size(), 2);
    const QList<ResultRow> rows = rowsOf(today[1], u"<main>"_s + today[0]);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].title, u"京都の寺 & 庭園"_s);
    EXPECT_EQ(rows[0].site, u"jp.example.kyoto.www"_s);

    const QStringList feed = blocksOf(u"## A feed"_s);
    ASSERT_EQ(feed.size(), 2);
    const QList<ResultRow> items = rowsOf(feed[0], u"<channel>"_s + feed[1] + u"</channel>"_s);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].title, u"京都の歴史 & 文化"_s);
    EXPECT_EQ(items[0].site, u"jp.example.books"_s);
    EXPECT_TRUE(items[0].html.contains(u"平安京から現代まで"_s));

    const QStringList json = blocksOf(u"## Answers in JSON"_s);
    ASSERT_EQ(json.size(), 2);
    const QList<ResultRow> results = rowsOf(json[0], json[1]);
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0].title, u"清水寺"_s);
    EXPECT_EQ(results[1].title, u"京都の寺 & 庭園"_s);
    EXPECT_EQ(results[1].site, u"jp.example.wiki"_s);
    EXPECT_TRUE(results[0].html.contains(u"href=\"https://wiki.example.jp/?curid=41335\""_s));
    EXPECT_TRUE(results[0].html.contains(u"京都の寺院"_s));
}
