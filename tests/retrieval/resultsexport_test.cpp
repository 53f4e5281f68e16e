#include "retrieval/resultsexport.h"

#include "support/testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

TEST(ResultAddress, IsTheLinkOfTheFirstAnchorWithText)
{
    const std::pair<QString, QString> cases[] = {
        {u"<a href=\"http://a.example/x\" target=\"_sokuri\">京都</a>"_s, u"http://a.example/x"_s},
        {u"<A class=t HREF='http://b.example/?a=1&amp;b=&#50;'>t</A>"_s,
         u"http://b.example/?a=1&b=2"_s},
        {u"<a href=http://c.example/ target=_sokuri><b>c</b></a>"_s, u"http://c.example/"_s},
        {u"<a href=\"http://img.example/\"><img src=x></a> <a name=n>n</a> "
         u"<abbr href=\"http://no/\">no</abbr><a title=\"see href=x\" data-href=\"http://no/\" href=\"http://d/\">d</a>"_s,
         u"http://d/"_s},
        {u"<p>no anchor</p><a href=\"http://e/\">"_s, u""_s},
    };
    for (const auto& [html, address] : cases)
        EXPECT_EQ(ResultAddress(html), address) << html.toStdString();
    // The title's own anchor wins over a link to the site before it.
    EXPECT_EQ(
        ResultAddress(
            u"<a class=\"tilk\" href=\"https://s/\">Site</a><h2><a href=\"https://s/t\">A &amp; B</a></h2>"_s,
            u"A & B"_s),
        u"https://s/t"_s);
}

TEST(ResultsExport, TabTextCsvAndHtmlKeepEveryField)
{
    const QList<ResultRow> rows = {
        {u"京都, \"老舗\"\n旅館"_s, u"alpha"_s, u" 80"_s, u"jp.example"_s,
         u"<a href=\"http://example.jp/a?x=1&amp;y=2\">t</a>"_s},
        {u"<script>x</script>\tz"_s, u"beta"_s, u""_s, u""_s,
         u"<a href=\"javascript:alert(1)\">s</a>"_s},
    };
    EXPECT_EQ(ResultsAsTabText(rows),
              u"京都, \"老舗\" 旅館\talpha\t80\tjp.example\thttp://example.jp/a?x=1&y=2\n"
              u"<script>x</script> z\tbeta\t\t\tjavascript:alert(1)\n"_s);

    const QByteArray csv = ResultsAsCsv(rows);
    EXPECT_EQ(
        csv, QByteArray("\xEF\xBB\xBF") +
                 u"名前,プラグイン,関連,サイト,アドレス\r\n"
                 u"\"京都, \"\"老舗\"\"\n旅館\",alpha,80,jp.example,http://example.jp/a?x=1&y=2\r\n"
                 u"<script>x</script>\tz,beta,,,javascript:alert(1)\r\n"_s.toUtf8());

    const QString html = QString::fromUtf8(ResultsAsHtml(rows, u"検索 <1>"_s));
    EXPECT_TRUE(html.contains(u"<meta charset=\"utf-8\">"_s));
    EXPECT_TRUE(html.contains(u"<h1>検索 &lt;1&gt;</h1>"_s));
    EXPECT_TRUE(html.contains(u"<a href=\"http://example.jp/a?x=1&amp;y=2\">"_s))
        << html.toStdString();
    // Only web addresses become links; markup in a title stays text.
    EXPECT_FALSE(html.contains(u"javascript:"_s));
    EXPECT_TRUE(html.contains(u"&lt;script&gt;"_s));

    TempAppDir dir;
    QString error;
    ASSERT_TRUE(ExportResults(dir.file(u"r.HTML"_s), rows, u"h"_s, &error));
    EXPECT_TRUE(readFile(dir.file(u"r.HTML"_s)).startsWith("<!DOCTYPE html>"));
    EXPECT_FALSE(ExportResults(dir.file(u"missing/r.csv"_s), rows, u"h"_s, &error));
    EXPECT_TRUE(error.contains(u"r.csv"_s)) << error.toStdString();
}

// Every cell a spreadsheet would run as a formula is read back as text with a
// leading apostrophe; the cells are read by Python's csv module, as a
// spreadsheet program's importer reads them.
TEST(ResultsExport, CsvCellsAreNeverFormulas)
{
    const std::pair<QString, QString> cases[] = {
        {u"=HYPERLINK(\"http://x.example/\",\"x\")"_s,
         u"'=HYPERLINK(\"http://x.example/\",\"x\")"_s},
        {u"+1+2"_s, u"'+1+2"_s},
        {u"-2+3"_s, u"'-2+3"_s},
        {u"@SUM(A1)"_s, u"'@SUM(A1)"_s},
        {u"\t=1"_s, u"'\t=1"_s},
        {u"\r=1"_s, u"'\r=1"_s},
        {u"-3"_s, u"-3"_s},
        {u"-0.5"_s, u"-0.5"_s},
        {u"-"_s, u"'-"_s},
        {u"京都, \"老舗\" = 1"_s, u"京都, \"老舗\" = 1"_s},
    };
    QList<ResultRow> rows;
    for (const auto& [title, cell] : cases)
        rows.append({title, u"=plugin"_s, u" 80"_s, u"-site"_s, QString()});
    TempAppDir dir;
    ASSERT_TRUE(ExportResults(dir.file(u"r.csv"_s), rows, u"h"_s));

    QProcess python;
    python.start(u"python3"_s, {u"-c"_s,
                                u"import csv, json, sys\n"
                                u"with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                u"    print(json.dumps(list(csv.reader(f))))"_s,
                                dir.file(u"r.csv"_s)});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonArray lines = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    ASSERT_EQ(lines.size(), std::size(cases) + 1);
    for (qsizetype i = 0; i < qsizetype(std::size(cases)); ++i) {
        const QJsonArray cells = lines[i + 1].toArray();
        EXPECT_EQ(cells[0].toString(), cases[i].second) << cases[i].first.toStdString();
        EXPECT_EQ(cells[1].toString(), u"'=plugin"_s);
        EXPECT_EQ(cells[3].toString(), u"'-site"_s);
    }
}
