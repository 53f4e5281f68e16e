// The plugin files that ship for real engines, run through sokuri-cli search
// against pages modelled on each engine's answer, served by a local engine.

#include "encoding/codepage932.h"
#include "support/gzipped.h"
#include "support/testfiles.h"
#include "testengine/testengine.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 60000;
const QString Keywords = u"京都 寺"_s;

struct Row
{
    QString title;
    QString site;
    QString link; // in the row's HTML; "{base}" stands for the local engine's address
};

struct ShippedEngine
{
    const char* id;             // the test case's name
    QString plugin;             // the plugin's name, also its file's base name
    QString homePage;           // its [init] url
    QString page;               // the answer page under tests/data/engines
    QList<QByteArray> sends;    // what the request holds
    QList<Row> rows;            // the rows the page gives, in order
    QString noLink = u"\x01"_s; // a link that no row may keep
    bool gzip = false;          // the engine compresses its answer
    QString version = u"1.0"_s; // the plugin's version
};

QList<ShippedEngine> shippedEngines()
{
    const QByteArray keywords = "%E4%BA%AC%E9%83%BD+%E5%AF%BA";
    const QByteArray browser = "\r\nUser-Agent: Mozilla/5.0 ";
    return {
        {"Wikipedia",
         u"Wikipedia (日本語)"_s,
         u"https://ja.wikipedia.org/"_s,
         u"wikipedia.json"_s,
         {"GET /w/api.php?action=query&list=search&srsearch=" + keywords +
          "&srlimit=20&format=json HTTP/1.0\r\n"},
         {{u"清水寺"_s, u"org.wikipedia.ja"_s, u"https://ja.wikipedia.org/?curid=41335"_s},
          {u"鹿苑寺"_s, u"org.wikipedia.ja"_s, u"https://ja.wikipedia.org/?curid=23786"_s},
          {u"京都の寺社一覧 (A&B)"_s, u"org.wikipedia.ja"_s,
           u"https://ja.wikipedia.org/?curid=1203344"_s}},
         u"searchmatch"_s,
         false,
         u"2.0"_s},
        {"Wiktionary",
         u"Wiktionary (日本語)"_s,
         u"https://ja.wiktionary.org/"_s,
         u"wiktionary.json"_s,
         {"GET /w/api.php?action=query&list=search&srsearch=" + keywords +
          "&srlimit=20&format=json HTTP/1.0\r\n"},
         {{u"寺"_s, u"org.wiktionary.ja"_s, u"https://ja.wiktionary.org/?curid=8812"_s},
          {u"京都"_s, u"org.wiktionary.ja"_s, u"https://ja.wiktionary.org/?curid=27001"_s}},
         u"searchmatch"_s,
         false,
         u"2.0"_s},
        {"DuckDuckGo",
         u"DuckDuckGo (日本)"_s,
         u"https://duckduckgo.com/"_s,
         u"duckduckgo.html"_s,
         {"POST /html/ HTTP/1.0\r\n", "\r\n\r\nq=" + keywords + "&kl=jp-jp", browser,
          "\r\nReferer: https://html.duckduckgo.com/\r\n"},
         {{u"音羽山 清水寺"_s, u"jp.or.kiyomizudera.www"_s, u"https://www.kiyomizudera.or.jp/"_s},
          {u"鹿苑寺 - Wikipedia"_s, u"org.wikipedia.ja"_s,
           u"https://ja.wikipedia.org/wiki/%E9%B9%BF%E8%8B%91%E5%AF%BA"_s},
          {u"寺社巡り & 御朱印 | 京都観光Navi"_s, u"travel.kyoto.ja"_s,
           u"https://ja.kyoto.travel/temples/?area=higashiyama&"_s}},
         u"duckduckgo.com/l/"_s,
         false,
         u"1.1"_s},
        {"Bing",
         u"Bing (日本語)"_s,
         u"https://www.bing.com/"_s,
         u"bing.html"_s,
         {"GET /search?q=" + keywords + "&setlang=ja&cc=JP HTTP/1.0\r\n", browser,
          "\r\nAccept-Language: ja,en;q=0.5\r\n"},
         {{u"音羽山 清水寺"_s, u"jp.or.kiyomizudera.www"_s, u"https://www.kiyomizudera.or.jp/"_s},
          {u"金閣寺（鹿苑寺）公式サイト"_s, u"jp.shokoku-ji.www"_s,
           u"https://www.shokoku-ji.jp/kinkakuji/"_s},
          {u"銀閣寺 & 哲学の道 | 京都観光Navi"_s, u"jp.lg.kyoto.city.kankou"_s,
           u"https://kankou.city.kyoto.lg.jp/"_s}},
         u"bing.com/ck/a"_s,
         false,
         u"1.1"_s},
        {"Kotobank",
         u"コトバンク"_s,
         u"https://kotobank.jp/"_s,
         u"kotobank.html"_s,
         {"GET /search?q=" + keywords + "&t=all HTTP/1.0\r\n"},
         {{u"清水寺【きよみずでら】"_s,
           {},
           u"{base}word/%E6%B8%85%E6%B0%B4%E5%AF%BA-54211#w-1175873"_s},
          {u"きよみず‐でら〔きよみづ‐〕【清水寺】"_s,
           {},
           u"{base}word/%E6%B8%85%E6%B0%B4%E5%AF%BA-54211#w-864211"_s},
          {u"京都五山 きょうとござん"_s,
           {},
           u"{base}word/%E4%BA%AC%E9%83%BD%E4%BA%94%E5%B1%B1-56120"_s}},
         u"\x01"_s,
         false,
         u"1.1"_s},
        {"NDLSearch",
         u"NDL サーチ"_s,
         u"https://ndlsearch.ndl.go.jp/"_s,
         u"ndlsearch.xml"_s,
         {"GET /api/opensearch?any=" + keywords + "&cnt=20 HTTP/1.0\r\n"},
         {{u"京都の寺社と庭園"_s, u"jp.go.ndl.ndlsearch"_s,
           u"https://ndlsearch.ndl.go.jp/books/R100000002-I000008123456"_s},
          {u"寺院建築 & 仏像 : 京都・奈良"_s, u"jp.go.ndl.ndlsearch"_s,
           u"https://ndlsearch.ndl.go.jp/books/R100000002-I000009876543"_s}},
         u"\x01"_s,
         false,
         u"1.1"_s},
        {"HatenaBookmark",
         u"はてなブックマーク"_s,
         u"https://b.hatena.ne.jp/"_s,
         u"hatena.xml"_s,
         {"GET /search/text?q=" + keywords + "&mode=rss HTTP/1.0\r\n"},
         {{u"紅葉シーズンの京都、寺の夜間拝観が始まる | 京都新聞デジタル"_s,
           u"jp.co.kyoto-np.www"_s, u"https://www.kyoto-np.co.jp/articles/-/1234567"_s},
          {u"京都の寺を一日で巡る & 食べ歩き"_s, u"com.hatenablog.example"_s,
           u"https://example.hatenablog.com/entry/2026/11/20/kyoto"_s}},
         u"\x01"_s,
         false,
         u"1.1"_s},
        {"arXiv",
         u"arXiv"_s,
         u"https://arxiv.org/"_s,
         u"arxiv.xml"_s,
         {"GET /api/query?search_query=" + keywords + "&max_results=20 HTTP/1.0\r\n"},
         {{u"Temple Records of Kyoto (京都): A Corpus of Pre-modern Japanese Documents"_s,
           u"org.arxiv"_s, u"http://arxiv.org/abs/2411.01234v2"_s},
          {u"Seismic Response of Wooden Pagodas & Temple Halls in Kyoto"_s, u"org.arxiv"_s,
           u"http://arxiv.org/abs/2508.04321v1"_s}},
         u"\x01"_s,
         false,
         u"1.1"_s},
        {"JStage",
         u"J-STAGE"_s,
         u"https://www.jstage.jst.go.jp/"_s,
         u"jstage.xml"_s,
         {"GET /searchapi/do?service=3&text=" + keywords + "&count=20 HTTP/1.0\r\n"},
         {{u"京都の寺院建築における木組みの変遷"_s, u"jp.go.jst.jstage.www"_s,
           u"https://www.jstage.jst.go.jp/article/aija/88/812/88_1234/_article/-char/ja/"_s},
          {u"京都の寺院庭園と観光 & 地域"_s, u"jp.go.jst.jstage.www"_s,
           u"https://www.jstage.jst.go.jp/article/jjtr/60/2/60_45/_article/-char/ja/"_s}}},
        {"StackOverflowJa",
         u"スタック・オーバーフロー (日本語)"_s,
         u"https://ja.stackoverflow.com/"_s,
         u"stackoverflow.json"_s,
         {"GET /2.3/search/advanced?site=ja.stackoverflow&q=" + keywords +
          "&order=desc&sort=relevance&pagesize=20 HTTP/1.0\r\n"},
         {{u"京都の寺の一覧を \"pandas\" で読むには"_s, u"com.stackoverflow.ja"_s,
           u"https://ja.stackoverflow.com/questions/98765/%e4%ba%ac%e9%83%bd%e3%81%ae%e5%af%ba"_s},
          {u"寺院の地図で <canvas> が描けない"_s, u"com.stackoverflow.ja"_s,
           u"https://ja.stackoverflow.com/questions/97001/temple-map"_s}},
         u"&amp;quot;"_s,
         true,
         u"1.1"_s},
        {"GoogleNews",
         u"Google ニュース"_s,
         u"https://news.google.com/"_s,
         u"googlenews.xml"_s,
         {"GET /rss/search?q=" + keywords + "&hl=ja&gl=JP&ceid=JP%3Aja HTTP/1.0\r\n"},
         {{u"京都・清水寺で紅葉のライトアップ始まる - 京都新聞デジタル"_s, u"com.google.news"_s,
           u"https://news.google.com/rss/articles/CBMiWkFVX3lxTE1hYTFfa3lvdG8tbnAtMTIzNDU2N9IBAA?oc=5"_s},
          {u"金閣寺の屋根ふき替え & 公開再開へ - 産経ニュース"_s, u"com.google.news"_s,
           u"https://news.google.com/rss/articles/CBMiVkFVX3lxTE5iYjJfc2Fua2VpLTk4NzY1NDPSAQA?oc=5"_s},
          {u"京都の寺社、冬の特別公開 - NHK"_s, u"com.google.news"_s,
           u"https://news.google.com/rss/articles/CBMiUkFVX3lxTE9jYzNfbmhrLTU1NTU1NdIBAA?oc=5"_s}}},
        {"Qiita",
         u"Qiita"_s,
         u"https://qiita.com/"_s,
         u"qiita.json"_s,
         {"GET /api/v2/items?query=" + keywords + "&per_page=20 HTTP/1.0\r\n"},
         {{u"京都の寺を Python で地図にする"_s, u"com.qiita"_s,
           u"https://qiita.com/hanako/items/0a1b2c3d4e5f6a7b8c9d"_s},
          {u"京都 寺社 API まとめ"_s, u"com.qiita"_s,
           u"https://qiita.com/hanako/items/ffeeddccbbaa99887766"_s}},
         u"\x01"_s,
         false,
         u"1.1"_s},
        {"GitHub",
         u"GitHub"_s,
         u"https://github.com/"_s,
         u"github.json"_s,
         {"GET /search/repositories?q=" + keywords + "&per_page=20 HTTP/1.0\r\n",
          "\r\nAccept: application/vnd.github+json\r\n", "\r\nUser-Agent: Sokuri/"},
         {{u"hanako/kyoto-temples"_s, u"com.github"_s,
           u"https://github.com/hanako/kyoto-temples"_s},
          {u"taro/tera"_s, u"com.github"_s, u"https://github.com/taro/tera"_s}},
         u"\x01"_s,
         false,
         u"1.1"_s},
        {"HackerNews",
         u"Hacker News"_s,
         u"https://news.ycombinator.com/"_s,
         u"hackernews.json"_s,
         {"GET /api/v1/search?query=" + keywords + "&hitsPerPage=20 HTTP/1.0\r\n"},
         {{u"Mapping every temple in Kyoto (京都 寺)"_s, u"org.example"_s,
           u"https://example.org/kyoto-temples"_s},
          {u"Ask HN: Kyoto temples worth a visit?"_s, u"com.ycombinator.news"_s,
           u"https://news.ycombinator.com/item?id=41000002"_s}}},
        {"Crossref",
         u"Crossref"_s,
         u"https://www.crossref.org/"_s,
         u"crossref.json"_s,
         {"GET /works?query=" + keywords + "&rows=20 HTTP/1.0\r\n"},
         {{u"京都の寺院建築における木組みの変遷"_s, u"org.doi"_s,
           u"https://doi.org/10.3130/aija.88.1234"_s},
          {u"Temples of Kyoto & Nara"_s, u"org.doi"_s, u"https://doi.org/10.1000/xyz.2025.77"_s}}},
        {"OpenLibrary",
         u"Open Library"_s,
         u"https://openlibrary.org/"_s,
         u"openlibrary.json"_s,
         {"GET /search.json?q=" + keywords + "&limit=20 HTTP/1.0\r\n"},
         {{u"古都"_s, u"org.openlibrary"_s, u"https://openlibrary.org/works/OL45804W"_s},
          {u"Kyoto: A Cultural History"_s, u"org.openlibrary"_s,
           u"https://openlibrary.org/works/OL5735363W"_s}}},
        {"GoogleBooks",
         u"Google ブックス"_s,
         u"https://books.google.co.jp/"_s,
         u"googlebooks.json"_s,
         {"GET /books/v1/volumes?q=" + keywords + "&maxResults=20 HTTP/1.0\r\n"},
         {{u"京都の寺社"_s, u"jp.co.google.books"_s,
           u"http://books.google.co.jp/books?id=abcDEF123&amp;dq="_s},
          {u"古寺巡礼"_s, u"jp.co.google.books"_s,
           u"http://books.google.co.jp/books?id=zyx987&amp;dq="_s}},
         u"\x01"_s,
         false,
         u"1.1"_s},
        // The sources of Japanese research.
        {"Kokkai",
         u"国会会議録"_s,
         u"https://kokkai.ndl.go.jp/"_s,
         u"kokkai.json"_s,
         {"GET /api/speech?any=" + keywords + "&maximumRecords=20&recordPacking=json HTTP/1.0\r\n"},
         {{u"衆議院 予算委員会 第2号 2023-01-25 岸田文雄"_s, u"jp.go.ndl.kokkai"_s,
           u"https://kokkai.ndl.go.jp/txt/121105261X00220230125/7"_s},
          {u"参議院 文教科学委員会 第5号 2023-03-08 永岡桂子"_s, u"jp.go.ndl.kokkai"_s,
           u"https://kokkai.ndl.go.jp/txt/121104024X00520230308/31"_s},
          {u"衆議院 予算委員会 第2号 2023-01-25 会議録情報"_s, u"jp.go.ndl.kokkai"_s,
           u"https://kokkai.ndl.go.jp/txt/121105261X00220230125/0"_s}},
         // The long speech is cut to a readable length.
         u"文化財の修理には長い年月と多くの人の手が要ります。"_s.repeated(20)},
        {"CiNiiBooks",
         u"CiNii Books"_s,
         u"https://ci.nii.ac.jp/books/"_s,
         u"cinii_books.xml"_s,
         {"GET /books/opensearch/search?q=" + keywords + "&format=rss&count=20 HTTP/1.0\r\n"},
         {{u"京都の寺社と庭園"_s, u"jp.ac.nii.ci"_s, u"https://ci.nii.ac.jp/ncid/BN01234567"_s},
          {u"寺院建築 & 庭園史 : 京都篇"_s, u"jp.ac.nii.ci"_s,
           u"https://ci.nii.ac.jp/ncid/BB98765432"_s}},
         u"appid"_s},
        {"CiNiiResearch",
         u"CiNii Research"_s,
         u"https://cir.nii.ac.jp/"_s,
         u"cinii_research.xml"_s,
         {"GET /opensearch/all?q=" + keywords + "&format=rss&count=20 HTTP/1.0\r\n"},
         {{u"京都の寺院建築における木組みの変遷"_s, u"jp.ac.nii.cir"_s,
           u"https://cir.nii.ac.jp/crid/1390001205123456789"_s},
          {u"寺社参詣と観光 & 地域社会"_s, u"jp.ac.nii.cir"_s,
           u"https://cir.nii.ac.jp/crid/1130000794321234567"_s}},
         u"&lt;b&gt;"_s},
        {"IRDB",
         u"IRDB"_s,
         u"https://irdb.nii.ac.jp/"_s,
         u"irdb.xml"_s,
         {"GET /opensearch/search?q=" + keywords + "&format=atom&count=20 HTTP/1.0\r\n"},
         {{u"中世京都における寺院と町衆"_s, u"jp.ac.nii.irdb"_s,
           u"https://irdb.nii.ac.jp/01156/0004567890"_s},
          {u"寺社の年中行事 & 地域 : 京都府南部の事例"_s, u"jp.ac.nii.irdb"_s,
           u"https://irdb.nii.ac.jp/01242/0007332690"_s}}},
        {"JapanSearch",
         u"ジャパンサーチ"_s,
         u"https://jpsearch.go.jp/"_s,
         u"jpsearch.json"_s,
         {"GET /api/item/search/jps-cross?keyword=" + keywords + "&size=20 HTTP/1.0\r\n"},
         {{u"洛中洛外図屏風（京都の寺社）"_s, u"jp.go.nich.colbase"_s,
           u"https://colbase.nich.go.jp/collection_items/tnm/A-11111"_s},
          {u"京都名所図会 & 寺院記"_s, u"jp.go.jpsearch"_s,
           u"https://jpsearch.go.jp/item/dignl-1234567"_s}},
         u"&lt;br&gt;"_s},
        {"EGovLaws",
         u"e-Gov 法令検索"_s,
         u"https://laws.e-gov.go.jp/"_s,
         u"egov.json"_s,
         {"GET /api/2/keyword?keyword=" + keywords + "&limit=20&response_format=json HTTP/1.0\r\n"},
         {{u"文化財保護法"_s, u"jp.go.e-gov.laws"_s,
           u"https://laws.e-gov.go.jp/law/325AC0000000214"_s},
          {u"古都における歴史的風土の保存に関する特別措置法"_s, u"jp.go.e-gov.laws"_s,
           u"https://laws.e-gov.go.jp/law/341AC0000000001"_s}},
         u"span&gt;"_s},
        {"ReferenceDatabase",
         u"レファレンス協同データベース"_s,
         u"https://crd.ndl.go.jp/reference/"_s,
         u"crd.xml"_s,
         {"GET /api/refsearch?type=reference&query=anywhere+all+%22" + keywords +
          "%22&results_num=20 HTTP/1.0\r\n"},
         {{u"京都の寺で、紅葉の名所として古くから知られている寺を知りたい。"_s, u"jp.go.ndl.crd"_s,
           u"https://crd.ndl.go.jp/reference/detail?page=ref_view&amp;id=1000301234"_s},
          {u"寺の鐘 & 梵鐘の数え方を知りたい。（京都の寺）"_s, u"jp.go.ndl.crd"_s,
           u"https://crd.ndl.go.jp/reference/detail?page=ref_view&amp;id=1000254321"_s}},
         u"&lt;/question&gt;"_s},
    };
}

// One engine of the table on 127.0.0.1, answering with its page at the path
// of the plugin's action.
struct LocalEngine
{
    explicit LocalEngine(ShippedEngine shipped)
        : engine(std::move(shipped))
    {}

    ShippedEngine engine;
    TestEngine server;
    QString base; // http://127.0.0.1:port/
};

// Names the case in gtest's messages.
void PrintTo(const ShippedEngine& engine, std::ostream* out)
{
    *out << engine.id;
}

class ShippedPlugins : public ::testing::Test
{
protected:
    ShippedPlugins()
    {
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += QString::fromUtf8(process.readAllStandardError()); });
        writeFile(dir.file(u"sokuri.ini"_s), "[chasen]\r\ntype=0\r\nfilename=/usr/bin/chasen\r\n");
    }

    // Copies the plugin file of the fresh build's application folder into
    // the test's folder with its action pointed at a local engine that
    // answers with the engine's page; false when a step fails.
    bool serve(LocalEngine& local)
    {
        const QString shipped =
            QStringLiteral(SOKURI_APP_DIR "/plugins/") + local.engine.plugin + u".ini"_s;
        QString text = cp932::decode(readFile(shipped));
        const QRegularExpression action(u"^action=(\\S+)"_s, QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = action.match(text);
        if (text.isEmpty() || !match.hasMatch() || !local.server.listen()) {
            ADD_FAILURE() << "cannot serve " << shipped.toStdString();
            return false;
        }
        const QString path = QUrl(match.captured(1)).path();
        local.base = u"http://127.0.0.1:%1/"_s.arg(local.server.port());
        text.replace(match.capturedStart(1), match.capturedLength(1), local.base.chopped(1) + path);
        writeSjisFile(dir.file(u"plugins/"_s + local.engine.plugin + u".ini"_s), text);

        EnginePage page;
        page.header = "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n";
        page.body = readFile(QStringLiteral(SOKURI_TEST_DATA_DIR "/engines/") + local.engine.page);
        if (local.engine.gzip) {
            page.header += "Content-Encoding: gzip\r\n";
            page.body = Compressed(page.body);
        }
        page.header += "\r\n";
        local.server.setPage(path, page);
        return !page.body.isEmpty();
    }

    // sokuri-cli in the test's folder; the engines answer while it runs.
    QList<QJsonObject> search(const QStringList& arguments)
    {
        err.clear();
        process.setProgram(QStringLiteral(SOKURI_APP_DIR "/sokuri-cli"));
        process.setArguments(QStringList{u"--app-dir"_s, dir.path(), u"search"_s} + arguments +
                             QStringList{u"--format"_s, u"jsonl"_s, Keywords});
        QSignalSpy finished(&process, &QProcess::finished);
        process.start();
        if (!finished.wait(HangGuardMs)) {
            ADD_FAILURE() << "sokuri-cli did not end";
            return {};
        }
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
        QList<QJsonObject> rows;
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts))
            rows.append(QJsonDocument::fromJson(line.toUtf8()).object());
        return rows;
    }

    TempAppDir dir;
    QProcess process;
    QString err;
};

class ShippedEngineTable : public ShippedPlugins,
                           public ::testing::WithParamInterface<ShippedEngine>
{};

} // namespace

TEST_P(ShippedEngineTable, FindsTheRowsOfItsEnginesPage)
{
    LocalEngine local(GetParam());
    ASSERT_TRUE(serve(local));
    const QList<QJsonObject> rows = search({u"--plugin"_s, local.engine.plugin});

    ASSERT_EQ(local.server.requests().size(), 1);
    const QByteArray request = local.server.requests().constFirst();
    for (const QByteArray& part : local.engine.sends)
        EXPECT_TRUE(request.contains(part)) << part.toStdString() << " not in\n"
                                            << request.toStdString();

    ASSERT_EQ(rows.size(), local.engine.rows.size()) << err.toStdString();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Row& expected = local.engine.rows[i];
        const QString html = rows[i][u"html"].toString();
        EXPECT_EQ(rows[i][u"title"].toString(), expected.title);
        EXPECT_EQ(rows[i][u"plugin"].toString(), local.engine.plugin);
        EXPECT_EQ(rows[i][u"site"].toString(), expected.site) << expected.title.toStdString();
        const QString link = QString(expected.link).replace(u"{base}"_s, local.base);
        EXPECT_TRUE(html.contains(link)) << link.toStdString() << " not in " << html.toStdString();
        EXPECT_FALSE(html.contains(local.engine.noLink)) << html.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryShippedEngine, ShippedEngineTable,
                         ::testing::ValuesIn(shippedEngines()),
                         [](const auto& info) { return std::string(info.param.id); });

TEST_F(ShippedPlugins, AllRealEnginesInOneRun)
{
    std::vector<std::unique_ptr<LocalEngine>> engines;
    for (const ShippedEngine& engine : shippedEngines()) {
        engines.push_back(std::make_unique<LocalEngine>(engine));
        ASSERT_TRUE(serve(*engines.back()));
    }
    const QList<QJsonObject> rows = search({u"--all"_s});

    for (const auto& local : engines) {
        qsizetype found = 0;
        for (const QJsonObject& row : rows) {
            if (row[u"plugin"].toString() == local->engine.plugin) {
                ++found;
                EXPECT_FALSE(row[u"title"].toString().trimmed().isEmpty());
            }
        }
        EXPECT_EQ(found, local->engine.rows.size()) << local->engine.plugin.toStdString();
    }
}

TEST_F(ShippedPlugins, TheBuildListsEveryShippedEngine)
{
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(SOKURI_APP_DIR "/sokuri-cli"),
                  {u"--app-dir"_s, QStringLiteral(SOKURI_APP_DIR), u"plugins"_s});
    ASSERT_TRUE(finished.wait(HangGuardMs));
    ASSERT_EQ(process.exitCode(), 0) << err.toStdString();
    const QStringList lines =
        QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const ShippedEngine& engine : shippedEngines()) {
        EXPECT_TRUE(
            lines.contains(engine.plugin + u'\t' + engine.homePage + u'\t' + engine.version))
            << engine.plugin.toStdString();
    }
    // The local demos stay, so a first search works without the internet.
    EXPECT_TRUE(lines.contains(u"デモ検索 (UTF-8)\thttp://127.0.0.1:31080/\t1.0"_s));
}
