// The keywords of a 10,000-character passage: the choice alone over the
// analyser's lines (made once by ChaSen through chasen.sh), and the whole
// analysis through the local route, pieces, ChaSen and choice together.

#include "analysis/analysabletext.h"
#include "analysis/keywordchoice.h"
#include "analysis/keywords.h"
#include "analysis/localchasen.h"
#include "analysis/sentenceanalyser.h"
#include "common/appstate.h"
#include "platform/messagesink.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

const QString Chasen = u"/usr/bin/chasen"_s;

// Glossary paragraphs of several fields, repeated to 10,000 characters.
QString passage()
{
    const QString paragraphs =
        u"人工知能とは、計算機による知的な情報処理システムの設計や実現に関する研究分野である。"
        u"近年は機械学習、特に深層学習の発展により、画像認識や自然言語処理で成果を上げている。"
        u"東京証券取引所は、日本最大の証券取引所で、多くの上場企業の株式が売買されている。"
        u"糖尿病は、血液中のブドウ糖の濃度が慢性的に高くなる病気である。"
        u"個人情報保護法は、個人情報を取り扱う事業者の義務を定めた法律である。"
        u"織田信長は、戦国時代の武将で、天下統一への道を開いた人物である。\n"_s;
    return paragraphs.repeated(10000 / paragraphs.size() + 1).left(10000);
}

class Quiet : public MessageSink
{
public:
    void critical(const UserMessage&) override {}
    void information(const UserMessage&) override {}
};

// An application folder with chasen.sh and settings that choose five.
struct AppFolder
{
    QTemporaryDir dir;
    AppPaths paths;
    ChasenSettings settings{ChasenSettings::Local, Chasen, {}, {}};

    AppFolder()
    {
        paths = ResolveAppPaths(dir.path());
        QDir().mkpath(paths.TmpPath);
        QFile::copy(QStringLiteral(SOKURI_SOURCE_DIR "/data/chasen.sh"),
                    paths.AppPath + u"/chasen.sh");
        QFile(paths.AppPath + u"/chasen.sh")
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QFile ini(paths.IniPath);
        if (ini.open(QIODevice::WriteOnly))
            ini.write(
                "[chasen]\ntype=0\nfilename=/usr/bin/chasen\n[keywords]\ncompound=1\nmax=5\n");
    }
};

// Analyses text through the local route and returns the keywords.
QStringList analyse(AppFolder& folder, SentenceAnalyser& analyser, const QString& text,
                    KeywordList& keywords)
{
    analyser.AnalyseText(text, folder.settings, folder.paths, keywords);
    if (analyser.state() != SentenceAnalyser::Idle &&
        analyser.state() != SentenceAnalyser::Failed) {
        QEventLoop loop;
        QObject::connect(&analyser, &SentenceAnalyser::stateChanged, &loop, [&loop](int state) {
            if (state == SentenceAnalyser::Idle || state == SentenceAnalyser::Failed)
                loop.quit();
        });
        loop.exec();
    }
    return keywords.words();
}

void BM_ChooseKeywords(benchmark::State& st)
{
    AppFolder folder;
    Quiet quiet;
    SentenceAnalyser analyser(quiet);
    KeywordList keywords;
    const QString text = passage();
    analyser.setKeywordSettings({});
    // The lines once, from the real analyser; then the choice alone.
    analyser.AnalyseText(text, folder.settings, folder.paths, keywords);
    QEventLoop loop;
    QObject::connect(&analyser, &SentenceAnalyser::stateChanged, &loop, [&loop](int state) {
        if (state == SentenceAnalyser::Idle || state == SentenceAnalyser::Failed)
            loop.quit();
    });
    if (analyser.state() != SentenceAnalyser::Idle)
        loop.exec();
    // setKeywordSettings({}) keeps no lines: read the file the run wrote.
    KeywordList lines;
    lines.setKeepingLines(true);
    LocalChasen::ReadKeywordFile(LocalChasen::OutputFile(folder.paths), lines);
    if (lines.lines().isEmpty()) {
        st.SkipWithError("ChaSen gave no lines");
        return;
    }
    const QString analysed = AnalysableText(text);
    for (auto _ : st)
        benchmark::DoNotOptimize(PassageKeywords(lines.lines(), analysed, {true, 5}));
    st.counters["lines"] = double(lines.lines().size());
    st.counters["chars"] = double(text.size());
}
BENCHMARK(BM_ChooseKeywords)->Unit(benchmark::kMillisecond);

void BM_AnalyseAndChoose(benchmark::State& st)
{
    AppFolder folder;
    Quiet quiet;
    SentenceAnalyser analyser(quiet);
    KeywordList keywords;
    const QString text = passage();
    int found = 0;
    for (auto _ : st)
        found = int(analyse(folder, analyser, text, keywords).size());
    if (found == 0)
        st.SkipWithError("no keywords");
    st.counters["keywords"] = found;
    st.counters["chars"] = double(text.size());
}
BENCHMARK(BM_AnalyseAndChoose)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
