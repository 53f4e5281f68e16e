// The demo search engine: its ranking, query decoding and page encodings as
// functions, the program over real sockets, and sokuri-cli searching it
// through the four demo plugins with the real ChaSen.

#include "demoengine/demosearch.h"
#include "demoengine/nounanalyser.h"
#include "demoengine/pagecharset.h"
#include "demoengine/querystring.h"
#include "demoengine/terms.h"
#include "encoding/charconv.h"
#include "encoding/codepage932.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::demo;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

// Only a guard against hangs: every wait ends on an event long before.
constexpr int HangGuardMs = 60000;
const QString Chasen = u"/usr/bin/chasen"_s;

DemoDocument document(int id, const QString& title, const QString& body)
{
    return DemoDocument{id, u"/doc/"_s + QString::number(id), title, body};
}

// Four short documents whose words occur a known number of times.
QList<DemoDocument> tinyCorpus()
{
    return {document(1, u"京都の寺"_s, u"京都には古い寺が多くあります。"_s),
            document(2, u"奈良の鹿"_s, u"奈良公園では鹿に会えます。鹿せんべいも売られています。"_s),
            document(3, u"温泉の宿"_s, u"山あいの温泉で湯につかります。"_s),
            document(4, u"京都の湯豆腐"_s, u"京都で湯豆腐を味わいます。"_s)};
}

QByteArray tinyCorpusFile()
{
    QByteArray tsv = "id\tpath\ttitle\tbody\n";
    for (const DemoDocument& d : tinyCorpus())
        tsv += QByteArray::number(d.id) + '\t' + d.path.toUtf8() + '\t' + d.title.toUtf8() + '\t' +
               d.body.toUtf8() + '\n';
    return tsv;
}

QList<int> rankedIds(const DemoSearch& search, const QString& query, qsizetype limit = 20,
                     qsizetype* total = nullptr)
{
    QList<int> ids;
    const QStringList terms = search.queryTerms(QueryKeywords(query));
    for (const ScoredDocument& hit : search.index().search(terms, limit, total))
        ids.append(search.documents()[hit.document].id);
    return ids;
}

} // namespace

// Bigram index: ln(1 + N/df) weighs a rare word above a frequent one, counts
// add up, and the best document comes first.
TEST(DemoRanking, TfIdfOverBigrams)
{
    const DemoSearch search(tinyCorpus(), IndexMode::Bigrams);
    EXPECT_EQ(rankedIds(search, u"鹿"_s), QList<int>({2}));
    EXPECT_EQ(rankedIds(search, u"湯豆腐"_s), QList<int>({4}));
    // Both documents hold 京都 twice: equal scores keep the corpus order.
    EXPECT_EQ(rankedIds(search, u"京都"_s), QList<int>({1, 4}));
    // Document 4 holds both words.
    EXPECT_EQ(rankedIds(search, u"京都 湯豆腐"_s), QList<int>({4, 1}));
    EXPECT_EQ(rankedIds(search, u"湯豆腐+京都"_s), QList<int>({4, 1}));
    // 鹿 (three times, in one document: 3 ln 5) outweighs 京都 (twice, in
    // two documents: 2 ln 3).
    EXPECT_EQ(rankedIds(search, u"京都 鹿"_s), QList<int>({2, 1, 4}));
    // A repeated keyword counts once.
    EXPECT_EQ(rankedIds(search, u"京都 京都 鹿"_s), QList<int>({2, 1, 4}));

    qsizetype total = -1;
    EXPECT_EQ(rankedIds(search, u"京都 鹿"_s, 1, &total), QList<int>({2}));
    EXPECT_EQ(total, 3);
    EXPECT_TRUE(rankedIds(search, u"札幌"_s, 20, &total).isEmpty());
    EXPECT_EQ(total, 0);
    EXPECT_TRUE(rankedIds(search, u""_s).isEmpty());
    // Full-width Latin letters match their ASCII forms.
    const DemoSearch latin({document(1, u"SL列車"_s, u"ＳＬが走ります。"_s)}, IndexMode::Bigrams);
    EXPECT_EQ(rankedIds(latin, u"sl"_s), QList<int>({1}));
}

TEST(DemoTerms, KeywordsBigramsAndChasenLines)
{
    EXPECT_EQ(QueryKeywords(u" 京都+旅館\u3000温泉\t "_s),
              QStringList({u"京都"_s, u"旅館"_s, u"温泉"_s}));
    EXPECT_TRUE(QueryKeywords(u"+ +"_s).isEmpty());
    QString many;
    for (int i = 0; i < 80; ++i)
        many += u"語 "_s;
    EXPECT_EQ(QueryKeywords(many).size(), MaxKeywords);

    EXPECT_EQ(BigramTerms(u"東京タワー、寺"_s),
              QStringList({u"東京"_s, u"京タ"_s, u"タワ"_s, u"ワー"_s, u"寺"_s}));
    EXPECT_EQ(DocumentBigramTerms(u"京都。寺"_s),
              QStringList({u"京"_s, u"都"_s, u"京都"_s, u"寺"_s}));

    // ChaSen's default lines: word, reading, base, part of speech, ...
    const QString output = u"北海道\tホッカイドウ\t北海道\t名詞-固有名詞-地域-一般\t\t\n"
                           "の\tノ\tの\t助詞-連体化\t\t\n"
                           "食べ\tタベ\t食べる\t動詞-自立\t一段\t連用形\n"
                           "EOS\n"
                           "EOS\n"
                           "ＳＬ\tエスエル\tＳＬ\t名詞-一般\t\t\n"
                           "EOS\n"
                           "寺\tテラ\t寺\t名詞-一般\t\t\n"_s;
    const QList<QStringList> nouns = ChasenNouns(output);
    ASSERT_EQ(nouns.size(), 3); // the text after the last EOS is no sentence
    EXPECT_EQ(nouns[0], QStringList({u"北海道"_s}));
    EXPECT_TRUE(nouns[1].isEmpty());
    EXPECT_EQ(nouns[2], QStringList({u"sl"_s}));
}

TEST(DemoQuery, PercentDecodingAndCharsets)
{
    // The bytes Sokuri sends for 京都 旅館 (Shift_JIS) and 京都 (UTF-8).
    EXPECT_EQ(QueryText("q=%8B%9E%93s+%97%B7%8A%D9", false), u"京都+旅館");
    EXPECT_EQ(QueryText("lang=ja&q=%E4%BA%AC%E9%83%BD", true), u"京都");
    // The first q wins; an encoded name counts; other parameters do not.
    EXPECT_EQ(QueryText("qq=x&%71=first&q=second", true), u"first");
    EXPECT_EQ(QueryText("lang=ja", false), u"");
    EXPECT_EQ(QueryText("", false), u"");
    // A "%" without two hexadecimal digits stays.
    EXPECT_EQ(PercentDecode("100%+%zz%4"), QByteArray("100%+%zz%4"));
    EXPECT_EQ(PercentDecode("%41%62%"), QByteArray("Ab%"));
    // Bytes that are no character do not vanish.
    EXPECT_EQ(QueryText("q=%FF%FE", true), u"\uFFFD\uFFFD");
}

// Every page charset reads back, through Sokuri's own decoders, as the text
// written; what a charset cannot hold arrives as a character reference.
TEST(DemoPages, EncodingsReadBackLineByLine)
{
    // ～ is where the Microsoft and the standard tables differ; ① is an NEC
    // row-13 character. (髙 below exists only among the IBM codes of code
    // page 932.)
    const QString page = u"<li>京都・奈良の旅～①</li>\r\n<b>ABC</b> 温泉\r\n末尾"_s;
    const QStringList lines = page.split(u"\r\n"_s);

    const QByteArray jis = EncodePage(page, PageCharset::Jis);
    const QList<QByteArray> jisLines = jis.split('\n');
    ASSERT_EQ(jisLines.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Each line switches back to ASCII before it ends.
        const QByteArray& line = jisLines[i];
        const qsizetype kanji = line.lastIndexOf("\x1b$B");
        if (kanji >= 0) {
            EXPECT_GT(line.lastIndexOf("\x1b(B"), kanji) << i;
        }
        const QString decoded = DecodeJis(i + 1 < lines.size() ? line + '\n' : line);
        EXPECT_EQ(decoded.trimmed(), lines[i]) << i;
    }
    const QList<QByteArray> eucLines = EncodePage(page, PageCharset::Euc).split('\n');
    ASSERT_EQ(eucLines.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_EQ(DecodeEuc(eucLines[i]).trimmed(), lines[i]) << i;
    EXPECT_EQ(cp932::decode(EncodePage(page, PageCharset::Sjis)), page);
    EXPECT_EQ(QString::fromUtf8(EncodePage(page, PageCharset::Utf8)), page);

    const QString foreign = u"𠮷野家と髙島屋"_s;
    EXPECT_EQ(DecodeEuc(EncodePage(foreign, PageCharset::Euc)), u"&#x20BB7;野家と&#x9AD9;島屋");
    EXPECT_EQ(DecodeJis(EncodePage(foreign, PageCharset::Jis)), u"&#x20BB7;野家と&#x9AD9;島屋");
    EXPECT_EQ(cp932::decode(EncodePage(foreign, PageCharset::Sjis)), u"&#x20BB7;野家と髙島屋");
    // Half-width katakana: EUC-JP carries it, ISO-2022-JP only as references.
    EXPECT_EQ(EncodePage(u"ｶ"_s, PageCharset::Euc), QByteArray("\x8e\xb6"));
    EXPECT_EQ(EncodePage(u"ｶ"_s, PageCharset::Jis), QByteArray("&#xFF76;"));
    EXPECT_EQ(EncodePage(u"A"_s, PageCharset::Jis), QByteArray("A"));
}

// The real ChaSen: one noun list per sentence, an empty sentence included;
// a program that is not there fails instead of hanging.
TEST(DemoChasen, NounsOfEachSentence)
{
    NounAnalyser analyser(Chasen);
    QSignalSpy finished(&analyser, &NounAnalyser::finished);
    QSignalSpy failed(&analyser, &NounAnalyser::failed);
    analyser.start({u"北海道でジンギスカンを食べた。"_s, u""_s, u"京都の寺\nを歩く"_s},
                   HangGuardMs);
    ASSERT_TRUE(finished.wait(HangGuardMs)) << failed.value(0).value(0).toString().toStdString();
    const auto nouns = finished[0][0].value<QList<QStringList>>();
    ASSERT_EQ(nouns.size(), 3);
    EXPECT_TRUE(nouns[0].contains(u"北海道"_s) && nouns[0].contains(u"ジンギスカン"_s))
        << nouns[0].join(u' ').toStdString();
    EXPECT_FALSE(nouns[0].contains(u"食べ"_s));
    EXPECT_TRUE(nouns[1].isEmpty());
    EXPECT_TRUE(nouns[2].contains(u"京都"_s) && nouns[2].contains(u"寺"_s))
        << nouns[2].join(u' ').toStdString();

    // The same corpus indexed by nouns, the query analysed alike (its line
    // last): the word of one document ranks it first.
    NounAnalyser corpusAnalyser(Chasen);
    QSignalSpy corpusDone(&corpusAnalyser, &NounAnalyser::finished);
    QStringList texts;
    for (const DemoDocument& d : tinyCorpus())
        texts.append(DemoSearch::IndexedText(d));
    corpusAnalyser.start(texts + QStringList{u"湯豆腐"_s}, HangGuardMs);
    ASSERT_TRUE(corpusDone.wait(HangGuardMs));
    QList<QStringList> terms = corpusDone[0][0].value<QList<QStringList>>();
    const QStringList queryNouns = terms.takeLast();
    const DemoSearch search(tinyCorpus(), IndexMode::ChasenNouns, terms);
    ASSERT_EQ(search.mode(), IndexMode::ChasenNouns);
    const QList<ScoredDocument> hits =
        search.index().search(search.queryTerms({u"湯豆腐"_s}, QList<QStringList>{queryNouns}), 20);
    ASSERT_FALSE(hits.isEmpty());
    EXPECT_EQ(search.documents()[hits[0].document].id, 4);

    NounAnalyser missing(u"/nonexistent/chasen"_s);
    QSignalSpy missingFailed(&missing, &NounAnalyser::failed);
    missing.start({u"京都"_s}, HangGuardMs);
    EXPECT_TRUE(missingFailed.wait(HangGuardMs));
}

namespace {

// The demo engine program, started for one test and ended with it.
class EngineProgram
{
public:
    EngineProgram()
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                         [this] { err += QString::fromUtf8(m_process.readAllStandardError()); });
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                         [this] { out += QString::fromUtf8(m_process.readAllStandardOutput()); });
    }
    ~EngineProgram()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            QSignalSpy finished(&m_process, &QProcess::finished);
            if (!finished.wait(HangGuardMs))
                m_process.kill();
        }
    }

    // Starts the engine on a free port and waits for its "listening on"
    // line; false (the reason on err) when it ends first.
    bool start(const QStringList& arguments)
    {
        m_process.start(QStringLiteral(SOKURI_APP_DIR "/sokuri-demo-engine"),
                        QStringList{u"--port"_s, u"0"_s} + arguments);
        const bool listening = QTest::qWaitFor(
            [this] { return out.contains(u'\n') || m_process.state() == QProcess::NotRunning; },
            HangGuardMs);
        const QString line = out.section(u'\n', 0, 0);
        if (!listening || !line.startsWith(u"listening on "_s))
            return false;
        port = quint16(line.mid(13).toUInt());
        return port != 0;
    }

    // Waits for the program to end by itself; its exit code, -1 on a crash.
    int finish()
    {
        QSignalSpy finished(&m_process, &QProcess::finished);
        if (m_process.state() != QProcess::NotRunning && !finished.wait(HangGuardMs))
            return -2;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    quint16 port = 0;
    QString out;
    QString err;

private:
    QProcess m_process;
};

// Sends the bytes on a fresh connection and returns everything the engine
// answers up to its close.
QByteArray exchange(quint16 port, const QByteArray& request)
{
    QTcpSocket socket;
    QByteArray reply;
    QObject::connect(&socket, &QIODevice::readyRead, &socket, [&] { reply += socket.readAll(); });
    QSignalSpy closed(&socket, &QAbstractSocket::disconnected);
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    if (!closed.wait(HangGuardMs))
        ADD_FAILURE() << "the engine did not close the connection";
    reply += socket.readAll();
    return reply;
}

QByteArray body(const QByteArray& reply)
{
    const qsizetype end = reply.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : reply.sliced(end + 4);
}

} // namespace

TEST(DemoProgram, AnswersSearchesDocumentsAndRefusals)
{
    TempAppDir dir;
    writeFile(dir.file(u"corpus.tsv"_s), tinyCorpusFile());
    EngineProgram engine;
    ASSERT_TRUE(engine.start({u"--no-chasen"_s, u"--corpus"_s, dir.file(u"corpus.tsv"_s)}))
        << engine.err.toStdString();

    // 鹿 as Shift_JIS is 8E AD; the EUC-JP page links document 2.
    const QByteArray euc = exchange(engine.port, "GET /euc?q=%8E%AD HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(euc.startsWith("HTTP/1.0 200 OK\r\n")) << euc.left(80).toStdString();
    EXPECT_TRUE(euc.contains("charset=EUC-JP"));
    const QString eucPage = DecodeEuc(body(euc));
    EXPECT_TRUE(eucPage.contains(u"/doc/2\">奈良の鹿</a>"_s)) << eucPage.toStdString();
    EXPECT_FALSE(eucPage.contains(u"/doc/1\""_s));
    // A request sent in pieces, with LF-only line ends, is answered as well.
    QTcpSocket slow;
    QByteArray slowReply;
    QObject::connect(&slow, &QIODevice::readyRead, &slow, [&] { slowReply += slow.readAll(); });
    QSignalSpy slowClosed(&slow, &QAbstractSocket::disconnected);
    QSignalSpy slowConnected(&slow, &QAbstractSocket::connected);
    slow.connectToHost(QHostAddress::LocalHost, engine.port);
    ASSERT_TRUE(slowConnected.wait(HangGuardMs));
    slow.write("GET /utf8?q=%E5%AF%BA HT");
    ASSERT_TRUE(slow.waitForBytesWritten(HangGuardMs));
    QTest::qWait(50); // lets the engine see the first piece alone
    EXPECT_TRUE(slowReply.isEmpty());
    slow.write("TP/1.0\n\n");
    ASSERT_TRUE(slowClosed.wait(HangGuardMs));
    EXPECT_TRUE(QString::fromUtf8(body(slowReply)).contains(u"京都の寺</a>"_s));

    const QByteArray doc = exchange(engine.port, "GET /doc/3 HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(QString::fromUtf8(body(doc)).contains(u"山あいの温泉"_s));
    EXPECT_TRUE(exchange(engine.port, "GET /doc/99 HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 404"));
    EXPECT_TRUE(
        exchange(engine.port, "GET /doc/3/../1 HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 404"));
    EXPECT_TRUE(exchange(engine.port, "POST /utf8 HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 405"));
    EXPECT_TRUE(exchange(engine.port, "hello\r\n\r\n").startsWith("HTTP/1.0 400"));
    // An over-long request is refused, and the refusal arrives whole.
    const QByteArray tooLong =
        exchange(engine.port, "GET /utf8?q=" + QByteArray(20000, 'a') + " HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(tooLong.startsWith("HTTP/1.0 413")) << tooLong.left(80).toStdString();
    EXPECT_TRUE(tooLong.endsWith("</html>\r\n"));
    // Markup in a query is escaped in the page.
    const QByteArray markup = exchange(engine.port, "GET /utf8?q=%3Cb%3E HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(markup.contains("&lt;b&gt;"));
    EXPECT_FALSE(body(markup).contains("<b>"));
    // The engine still answers after all of that.
    EXPECT_TRUE(exchange(engine.port, "GET / HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 200"));
}

TEST(DemoProgram, BadCorpusOrMissingChasen)
{
    TempAppDir dir;
    writeFile(dir.file(u"bad.tsv"_s), "id\tpath\ttitle\tbody\n1\t/doc/1\tno body\n");
    EngineProgram bad;
    EXPECT_FALSE(bad.start({u"--corpus"_s, dir.file(u"bad.tsv"_s)}));
    EXPECT_EQ(bad.finish(), 1);
    EXPECT_TRUE(bad.err.contains(u"line 2"_s)) << bad.err.toStdString();

    // Without ChaSen the engine indexes bigrams and still finds words (湯豆腐
    // in Shift_JIS).
    writeFile(dir.file(u"corpus.tsv"_s), tinyCorpusFile());
    EngineProgram engine;
    ASSERT_TRUE(engine.start(
        {u"--chasen"_s, dir.file(u"no-chasen"_s), u"--corpus"_s, dir.file(u"corpus.tsv"_s)}))
        << engine.err.toStdString();
    EXPECT_TRUE(engine.err.contains(u"bigrams"_s)) << engine.err.toStdString();
    const QByteArray sjis =
        exchange(engine.port, "GET /sjis?q=%93%92%93%A4%95%85 HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(cp932::decode(body(sjis)).contains(u"京都の湯豆腐</a>"_s));
}

namespace {

struct CorpusEntry
{
    QString title;
    QString text;
};

// The bundled corpus as the test reads it: title and body of each line.
QList<CorpusEntry> bundledCorpus()
{
    QList<CorpusEntry> entries;
    const QStringList lines =
        QString::fromUtf8(readFile(QStringLiteral(SOKURI_DEMO_CORPUS))).split(u'\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(u'\t');
        if (fields.size() == 4)
            entries.append({fields[2], fields[2] + fields[3]});
    }
    return entries;
}

bool holdsJapanese(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x3040 && c.unicode() <= 0x9FFF)
            return true;
    }
    return false;
}

} // namespace

// The four demo plugins as installed, pointed at an engine on a free port,
// each through sokuri-cli: the same titles in the same order, decoded right.
TEST(DemoPlugins, EveryCharsetGivesTheSameRankedTitles)
{
    const QList<CorpusEntry> corpus = bundledCorpus();
    ASSERT_GE(corpus.size(), 300);
    QStringList rare;  // the documents that hold ラジウム
    QSet<QString> spa; // the titles of those that hold 温泉
    for (const CorpusEntry& entry : corpus) {
        if (entry.text.contains(u"ラジウム"_s))
            rare.append(entry.title);
        if (entry.text.contains(u"温泉"_s))
            spa.insert(entry.title);
    }
    ASSERT_EQ(rare.size(), 1);

    EngineProgram engine;
    ASSERT_TRUE(engine.start({})) << engine.err.toStdString();
    ASSERT_TRUE(engine.err.contains(u"ChaSen's nouns"_s)) << engine.err.toStdString();

    TempAppDir dir;
    writeFile(dir.file(u"sokuri.ini"_s), "[chasen]\r\ntype=0\r\n");
    const QStringList names = {u"デモ検索 (JIS)"_s, u"デモ検索 (EUC)"_s, u"デモ検索 (SJIS)"_s,
                               u"デモ検索 (UTF-8)"_s};
    for (const QString& name : names) {
        const QString file = name + u".ini"_s;
        const QString text =
            cp932::decode(readFile(QStringLiteral(SOKURI_DEMO_PLUGINS_DIR "/") + file));
        ASSERT_TRUE(text.contains(u"name="_s + name)) << file.toStdString();
        ASSERT_TRUE(text.contains(u"127.0.0.1:31080/"_s));
        QString local = text;
        local.replace(u"127.0.0.1:31080"_s, u"127.0.0.1:"_s + QString::number(engine.port));
        writeSjisFile(dir.file(u"plugins/"_s + file), local);
    }

    // The titles one plugin finds for the keywords, checking each row.
    const auto search = [&](const QString& name, const QString& keywords) {
        QProcess cli;
        QString err;
        QObject::connect(&cli, &QProcess::readyReadStandardError, &cli,
                         [&] { err += QString::fromUtf8(cli.readAllStandardError()); });
        QSignalSpy finished(&cli, &QProcess::finished);
        cli.start(QStringLiteral(SOKURI_APP_DIR "/sokuri-cli"),
                  {u"--app-dir"_s, dir.path(), u"search"_s, u"--plugin"_s, name, u"--format"_s,
                   u"jsonl"_s, keywords});
        QStringList titles;
        if (!finished.wait(HangGuardMs)) {
            ADD_FAILURE() << name.toStdString() << ": sokuri-cli did not end";
            return titles;
        }
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 0) << err.toStdString();
        int previous = 1000;
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts)) {
            const QJsonObject row = QJsonDocument::fromJson(line.toUtf8()).object();
            EXPECT_EQ(row[u"plugin"].toString(), name);
            EXPECT_EQ(row[u"site"].toString(), u"127.0.0.1");
            const QString title = row[u"title"].toString();
            EXPECT_TRUE(holdsJapanese(title)) << name.toStdString() << ": " << title.toStdString();
            // The figures fall from 100 as the scores do.
            const int relevance = row[u"relevance"].toString().trimmed().toInt();
            if (titles.isEmpty()) {
                EXPECT_EQ(relevance, 100) << title.toStdString();
            }
            EXPECT_LE(relevance, previous) << title.toStdString();
            previous = relevance;
            titles.append(title);
        }
        return titles;
    };

    QList<QStringList> spaResults;
    for (const QString& name : names) {
        EXPECT_EQ(search(name, u"ラジウム"_s), rare) << name.toStdString();
        const QStringList titles = search(name, u"温泉"_s);
        EXPECT_FALSE(titles.isEmpty()) << name.toStdString();
        EXPECT_LE(titles.size(), 20);
        EXPECT_EQ(QSet<QString>(titles.cbegin(), titles.cend()).size(), titles.size());
        for (const QString& title : titles)
            EXPECT_TRUE(spa.contains(title)) << name.toStdString() << ": " << title.toStdString();
        spaResults.append(titles);
    }
    for (qsizetype i = 1; i < spaResults.size(); ++i)
        EXPECT_EQ(spaResults[i], spaResults[0]) << names[i].toStdString();
}
