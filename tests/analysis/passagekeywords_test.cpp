// With the shipped [keywords] settings a passage gives a handful of whole
// terms, the one it is about among them, on every route: ChaSen and MeCab
// run locally through chasen.sh, and ChaSen behind the server tool.

#include "analysis/morpheme.h"

#include "chasentestsupport.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

struct Passage
{
    QString headword; // what a person would search for
    QString text;
};

// Technical, medical, legal, news, people, places, organisations.
const QList<Passage>
    Passages =
        {
            {u"量子コンピュータ"_s,
             u"量子コンピュータは、量子力学の重ね合わせや量子もつれを利用して計算を行うコンピュータである。従来のコンピュータでは現実的な時間で解けない問題を高速に解けると期待されている。現在は誤り訂正の技術が大きな課題となっている。"_s},
            {u"ブロックチェーン"_s,
             u"ブロックチェーンとは、取引の記録を暗号技術で連結し、多数の参加者で共有する分散型の台帳技術である。改ざんが極めて難しいことから、暗号資産の基盤として広く使われている。近年は物流や医療記録の管理への応用も進んでいる。"_s},
            {u"光ファイバー"_s,
             u"光ファイバーは、石英ガラスやプラスチックでできた細い繊維で、光を使って情報を伝える。電気信号に比べて損失が少なく、長距離の大容量通信に適している。海底ケーブルにも光ファイバーが用いられている。"_s},
            {u"Python"_s,
             u"Pythonは、読みやすさを重視して設計されたプログラミング言語である。文法が簡潔で学びやすく、データ分析や機械学習、ウェブ開発など幅広い分野で使われている。豊富なライブラリも人気の理由となっている。"_s},
            {u"大規模言語モデル"_s,
             u"大規模言語モデルは、大量の文章を学習して、人間のように自然な文章を生成したり質問に答えたりする人工知能の一種である。翻訳や要約、プログラムの作成にも使われる。一方で、事実と異なる内容をもっともらしく答えることがあると指摘されている。"_s},
            {u"糖尿病"_s,
             u"糖尿病は、血液中のブドウ糖の濃度が慢性的に高くなる病気である。インスリンの分泌や働きが不十分になることで起こる。放置すると網膜症や腎症などの合併症を招くため、食事療法と運動療法が治療の基本となる。"_s},
            {u"帯状疱疹"_s,
             u"帯状疱疹は、水ぼうそうと同じウイルスによって起こる皮膚の病気である。体の片側に痛みを伴う赤い発疹が帯状に現れる。加齢やストレスで免疫力が低下すると発症しやすく、予防のためのワクチンもある。"_s},
            {u"熱中症"_s,
             u"熱中症とは、高温多湿の環境で体温の調節がうまく働かなくなり、体内に熱がこもる状態をいう。めまいや頭痛、吐き気などの症状が現れ、重症になると意識を失うこともある。こまめな水分補給と休憩が予防に効果的である。"_s},
            {u"個人情報保護法"_s,
             u"個人情報保護法は、個人情報を取り扱う事業者に対して、利用目的の特定や安全管理の措置などの義務を定めた法律である。二〇〇三年に成立し、その後の改正で匿名加工情報の制度が設けられた。違反した事業者には個人情報保護委員会が指導や命令を行う。"_s},
            {u"著作権"_s,
             u"著作権は、小説や音楽、絵画などの著作物を創作した人に与えられる権利である。著作者の許可なく作品を複製したり公開したりすることは原則として禁止されている。日本では著作者の死後七十年まで保護される。"_s},
            {u"裁判員制度"_s,
             u"裁判員制度とは、国民から選ばれた裁判員が刑事裁判に参加し、裁判官とともに有罪か無罪か、刑の重さを決める制度である。二〇〇九年に始まった。裁判員は選挙人名簿からくじで選ばれる。"_s},
            {u"日本銀行"_s,
             u"日本銀行は十九日、金融政策決定会合で短期金利の引き上げを決めた。物価の上昇が続いていることを受けた判断で、利上げは十七年ぶりとなる。市場では円相場が一時大きく動いた。"_s},
            {u"台風"_s,
             u"大型の台風が二十九日朝、鹿児島県に上陸した。気象庁によると、台風は勢力を保ったまま九州を北上する見込みで、各地で記録的な大雨となるおそれがある。鉄道や航空は多くの便が運休を決めた。"_s},
            {u"織田信長"_s,
             u"織田信長は、戦国時代の武将で、尾張の小さな大名から天下統一への道を開いた人物である。桶狭間の戦いで今川義元を破り、その名を広めた。本能寺の変で家臣の明智光秀に討たれた。"_s},
            {u"野口英世"_s,
             u"野口英世は、福島県出身の細菌学者である。幼いころに左手に大やけどを負ったが、努力を重ねて医師となった。アメリカのロックフェラー研究所で梅毒の研究などに取り組み、黄熱病の研究中にアフリカで亡くなった。"_s},
            {u"紫式部"_s,
             u"紫式部は、平安時代中期の女性作家で、『源氏物語』の作者として知られる。藤原道長の娘である中宮彰子に仕えた。日記や和歌も残している。"_s},
            {u"アルベルト・アインシュタイン"_s,
             u"アルベルト・アインシュタインは、ドイツ生まれの理論物理学者である。特殊相対性理論と一般相対性理論を発表し、光量子仮説で一九二一年にノーベル物理学賞を受けた。晩年はアメリカのプリンストンで研究を続けた。"_s},
            {u"屋久島"_s,
             u"屋久島は、鹿児島県の南に浮かぶ島で、樹齢千年を超える屋久杉の森で知られる。一九九三年に白神山地とともに日本で初めて世界自然遺産に登録された。年間を通じて雨が多く、「ひと月に三十五日雨が降る」とも言われる。"_s},
            {u"琵琶湖"_s,
             u"琵琶湖は滋賀県にある日本最大の湖である。面積は県の約六分の一を占め、近畿地方の水がめとして多くの人の生活を支えている。湖には固有種の魚も多く、古くから漁業が営まれてきた。"_s},
            {u"札幌市"_s,
             u"札幌市は北海道の道庁所在地で、人口約百九十万人を抱える政令指定都市である。毎年二月に開かれるさっぽろ雪まつりには国内外から多くの観光客が訪れる。市の中心部には碁盤の目のように道路が整備されている。"_s},
            {u"国際連合"_s,
             u"国際連合は、第二次世界大戦後の一九四五年に、国際平和と安全の維持を目的として設立された国際機関である。本部はニューヨークに置かれ、百九十を超える国が加盟している。安全保障理事会には五つの常任理事国がある。"_s},
            {u"東京証券取引所"_s,
             u"東京証券取引所は、日本最大の証券取引所で、多くの上場企業の株式が売買されている。二〇二二年には市場区分がプライム、スタンダード、グロースの三つに再編された。取引の時間は平日の午前九時から午後三時半までである。"_s},
            {u"気象庁"_s,
             u"気象庁は、天気予報や地震、火山の情報を発表する国の機関で、国土交通省の外局にあたる。全国に観測網を持ち、大雨や津波の警報も出している。二〇〇七年からは緊急地震速報の提供を始めた。"_s},
};

} // namespace

TEST(PassageKeywords, TheHeadwordIsAmongAtMostFiveKeywordsOnEveryRoute)
{
    const QString chasen = u"/usr/bin/chasen"_s;
    const QString mecab = u"/usr/bin/mecab"_s;
    ChasenServerProcess chasenServer;
    ASSERT_NE(chasenServer.port(), 0);
    const QByteArray shipped = "[keywords]\ncompound=1\nmax=5\n";
    const QList<QByteArray> routes = {
        "[chasen]\ntype=0\nfilename=" + chasen.toUtf8() + '\n' + shipped,
        "[chasen]\ntype=0\nfilename=" + mecab.toUtf8() + '\n' + shipped,
        "[chasen]\ntype=1\nhost=127.0.0.1\nport=" + QByteArray::number(chasenServer.port()) + '\n' +
            shipped,
    };
    for (const QByteArray& settings : routes) {
        TempAppDir dir;
        installChasenScript(dir.path());
        writeFile(dir.file(u"sokuri.ini"_s), settings);
        for (const Passage& passage : Passages) {
            SCOPED_TRACE(
                QString(QString::fromUtf8(settings) + u' ' + passage.headword).toStdString());
            const QStringList keywords = analysedKeywords(dir.path(), passage.text);
            EXPECT_TRUE(keywords.contains(passage.headword)) << keywords.join(u' ').toStdString();
            EXPECT_LE(keywords.size(), 5);
            QStringList distinct = keywords;
            EXPECT_EQ(distinct.removeDuplicates(), 0);
        }
    }
}

TEST(PassageKeywords, LongAndOddTextsGiveAHandfulOrNothingOnEveryRoute)
{
    ChasenServerProcess chasenServer;
    ASSERT_NE(chasenServer.port(), 0);
    const QByteArray shipped = "[keywords]\ncompound=1\nmax=5\n";
    const QList<QByteArray> routes = {
        "[chasen]\ntype=0\nfilename=/usr/bin/chasen\n" + shipped,
        "[chasen]\ntype=0\nfilename=/usr/bin/mecab\n" + shipped,
        "[chasen]\ntype=1\nhost=127.0.0.1\nport=" + QByteArray::number(chasenServer.port()) + '\n' +
            shipped,
    };
    QString all;
    for (const Passage& passage : Passages)
        all += passage.text;
    // One line of 8,319 characters (ChaSen cut a character in two on it) and
    // a pasted document of 100,000: the passages' headwords come through.
    const QString oneLine = all.repeated(3).left(8319);
    const QString document = all.repeated(40).left(100000);
    struct Odd
    {
        QString text;
        bool keywords; // whether any keyword is to come
    };
    const QList<Odd> odd = {
        {oneLine, true},
        {document, true},
        {u"とてもきれいだったのでうれしかった。"_s.repeated(20), false},
        {u"！？、。・「」（）【】…―＃＄％"_s.repeated(30), false},
        {u"Sokuri searches several engines at once."_s, true},
        {u"😀 Ω 𠮷野家の牛丼と한국어のテキスト"_s, true},
    };
    for (const QByteArray& settings : routes) {
        TempAppDir dir;
        installChasenScript(dir.path());
        writeFile(dir.file(u"sokuri.ini"_s), settings);
        for (const Odd& text : odd) {
            SCOPED_TRACE(
                QString(QString::fromUtf8(settings) + u' ' + text.text.left(20)).toStdString());
            const QStringList keywords = analysedKeywords(dir.path(), text.text);
            EXPECT_LE(keywords.size(), 5);
            EXPECT_EQ(!keywords.isEmpty(), text.keywords) << keywords.join(u' ').toStdString();
            for (const QString& keyword : keywords)
                EXPECT_FALSE(IsPunctuationWord(keyword)) << keyword.toStdString();
        }
    }
}
