// sokuri-demo-engine [--port N] [--no-chasen] [--chasen PROGRAM] [--corpus FILE]
//
// A small search engine over a bundled corpus of Japanese documents, for a
// first run of Sokuri without the network. It answers on 127.0.0.1 in four
// character sets (/jis, /euc, /sjis, /utf8) and prints "listening on PORT"
// once the corpus is indexed.

#include "demoengine/corpus.h"
#include "demoengine/demosearch.h"
#include "demoengine/demoserver.h"
#include "demoengine/nounanalyser.h"
#include "toolcommandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QTextStream>

#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;
using namespace sokuri::demo;

namespace {

constexpr quint16 DefaultPort = 31080;
constexpr int CorpusAnalysisTimeoutMs = 120000;

} // namespace

int main(int argc, char** argv)
{
    // A client or an analyser that goes away while being written to is
    // noticed by the write's result, not by a signal that ends the engine.
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"sokuri-demo-engine"_s);

    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"A demo search engine over Japanese documents, for Sokuri's demo plugins."_s);
    parser.addHelpOption();
    const QCommandLineOption portOption(u"port"_s,
                                        u"The TCP port on 127.0.0.1 (0: any free port)."_s, u"N"_s,
                                        QString::number(DefaultPort));
    const QCommandLineOption noChasenOption(
        u"no-chasen"_s, u"Index character bigrams instead of ChaSen's nouns."_s);
    const QCommandLineOption chasenOption(u"chasen"_s, u"The ChaSen program."_s, u"PROGRAM"_s,
                                          u"/usr/bin/chasen"_s);
    const QCommandLineOption corpusOption(
        u"corpus"_s, u"A corpus file (id, path, title, body; tab-separated UTF-8)."_s, u"FILE"_s,
        u":/demoengine/documents.tsv"_s);
    parser.addOptions({portOption, noChasenOption, chasenOption, corpusOption});
    if (const int status = sokuri::tools::ParseToolArguments(parser, out, err); status >= 0)
        return status;
    const int port = sokuri::tools::PortValue(parser, portOption, err);
    if (port < 0)
        return sokuri::tools::UsageStatus;

    QFile corpusFile(parser.value(corpusOption));
    if (!corpusFile.open(QIODevice::ReadOnly)) {
        err << "sokuri-demo-engine: cannot read " << corpusFile.fileName() << ": "
            << corpusFile.errorString() << Qt::endl;
        return 1;
    }
    QList<DemoDocument> documents;
    QString corpusError;
    if (!ParseCorpus(corpusFile.readAll(), documents, corpusError)) {
        err << "sokuri-demo-engine: " << corpusFile.fileName() << ": " << corpusError << Qt::endl;
        return 1;
    }
    corpusFile.close();

    const QString chasen = parser.value(chasenOption);
    std::unique_ptr<DemoSearch> search;
    std::unique_ptr<DemoServer> server;

    // Listens once the index exists; the corpus analysis, when there is one,
    // runs in the event loop first.
    const auto serve = [&](IndexMode mode, const QList<QStringList>& terms) {
        search = std::make_unique<DemoSearch>(documents, mode, terms);
        server = std::make_unique<DemoServer>(*search, chasen);
        if (!server->listen(QHostAddress::LocalHost, quint16(port))) {
            err << "sokuri-demo-engine: cannot listen on 127.0.0.1 port " << port << ": "
                << server->errorString() << Qt::endl;
            QCoreApplication::exit(1);
            return;
        }
        err << "sokuri-demo-engine: " << documents.size() << " documents indexed by "
            << (search->mode() == IndexMode::ChasenNouns ? "ChaSen's nouns" : "character bigrams")
            << Qt::endl;
        out << "listening on " << server->port() << Qt::endl;
    };

    const QFileInfo chasenInfo(chasen);
    NounAnalyser analyser(chasen);
    if (parser.isSet(noChasenOption)) {
        serve(IndexMode::Bigrams, {});
    } else if (!chasenInfo.isFile() || !chasenInfo.isExecutable()) {
        err << "sokuri-demo-engine: ChaSen (" << chasen
            << ") is missing; indexing character bigrams instead" << Qt::endl;
        serve(IndexMode::Bigrams, {});
    } else {
        QObject::connect(
            &analyser, &NounAnalyser::finished, &app,
            [&](const QList<QStringList>& nouns) { serve(IndexMode::ChasenNouns, nouns); });
        QObject::connect(&analyser, &NounAnalyser::failed, &app, [&](const QString& reason) {
            err << "sokuri-demo-engine: " << reason << "; indexing character bigrams instead"
                << Qt::endl;
            serve(IndexMode::Bigrams, {});
        });
        QStringList texts;
        for (const DemoDocument& document : documents)
            texts.append(DemoSearch::IndexedText(document));
        analyser.start(texts, CorpusAnalysisTimeoutMs);
    }
    const int status = QCoreApplication::exec();
    server.reset();
    return status;
}
