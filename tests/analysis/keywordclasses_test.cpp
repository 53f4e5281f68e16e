// The keywords of sentence mode are the common, proper and verbal nouns the
// analyser itself names, through `sokuri-cli analyse` with ChaSen and MeCab,
// each run locally through chasen.sh and behind the ChaSen server tool.

#include "chasentestsupport.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

// People, places, organisations, products, verbal nouns, katakana loanwords,
// ASCII, and a noun twice.
const QStringList Sentences = {
    u"坂本龍馬は土佐藩の出身で、長崎で亀山社中を設立した。"_s,
    u"大阪城の近くにあるホテルを予約したい。"_s,
    u"トヨタ自動車の新型プリウスを試乗してみた。"_s,
    u"任天堂のゲーム機で遊ぶ子供が増えている。"_s,
    u"京都から奈良まで近鉄電車で移動する。"_s,
    u"iPhoneとAndroidのスマートフォンを比較したレビューを読む。"_s,
    u"村上春樹の新作小説がベストセラーになった。"_s,
    u"富士山の登山ルートと天気予報を調べる。"_s,
    u"Windows 11でUSBメモリが認識されない問題の解決方法。"_s,
    u"東京駅から新幹線で名古屋へ出張する予定だ。"_s,
    u"コーヒーとチョコレートのケーキを注文した。"_s,
    u"日本銀行の金融政策について経済学者が解説する。"_s,
    u"猫が好きな人は猫の写真を集める。"_s,
};

// The words the analyser itself, with its default output, names 名詞-一般,
// 名詞-固有名詞… or 名詞-サ変接続: ChaSen in its fourth field, MeCab in its
// first two features.
QStringList ownNouns(const QString& program, const QString& text)
{
    QProcess process;
    process.start(program, {});
    process.write(text.toUtf8() + '\n');
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(HangGuardMs));
    QStringList nouns;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        const QString name = program.endsWith(u"mecab")
                                 ? fields.value(1).section(u',', 0, 1).replace(u',', u'-')
                                 : fields.value(3);
        if (name == u"名詞-一般" || name.startsWith(u"名詞-固有名詞") || name == u"名詞-サ変接続")
            nouns.append(fields[0]);
    }
    return nouns;
}

} // namespace

TEST(KeywordClasses, TheNounsTheAnalyserNamesInOrderOnEveryRoute)
{
    const QString chasen = u"/usr/bin/chasen"_s;
    const QString mecab = u"/usr/bin/mecab"_s;
    ChasenServerProcess chasenServer;
    ChasenServerProcess mecabServer({u"--chasen"_s, mecab});
    ASSERT_NE(chasenServer.port(), 0);
    ASSERT_NE(mecabServer.port(), 0);
    const QByteArray server = "[chasen]\ntype=1\nhost=127.0.0.1\nport=";
    // Each route with the analyser whose names count.
    const QList<std::pair<QString, QByteArray>> routes = {
        {chasen, QByteArray("[chasen]\ntype=0\nfilename=" + chasen.toUtf8())},
        {mecab, QByteArray("[chasen]\ntype=0\nfilename=" + mecab.toUtf8())},
        {chasen, QByteArray(server + QByteArray::number(chasenServer.port()))},
        {mecab, QByteArray(server + QByteArray::number(mecabServer.port()))},
    };
    for (const auto& [program, settings] : routes) {
        TempAppDir dir;
        installChasenScript(dir.path());
        writeFile(dir.file(u"sokuri.ini"_s), settings);
        for (const QString& sentence : Sentences) {
            SCOPED_TRACE(QString(QString::fromUtf8(settings) + u' ' + sentence).toStdString());
            const QStringList expected = ownNouns(program, sentence);
            EXPECT_FALSE(expected.isEmpty());
            EXPECT_EQ(analysedKeywords(dir.path(), sentence), expected);
        }
    }
}
