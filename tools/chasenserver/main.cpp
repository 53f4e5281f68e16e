// sokuri-chasen-server [--port N] [--listen ADDRESS] [--chasen PROGRAM]
//
// Serves the ChaSen server dialogue for the ChaSen program of this machine, or
// for MeCab (a PROGRAM whose file name contains "mecab").
// With --port 0 the system chooses the port; the port listened on is printed
// as "listening on PORT" on standard output either way.

#include "chasenserver.h"
#include "toolcommandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHostAddress>
#include <QStringEncoder>
#include <QTextStream>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    // A client or an analyser that goes away while being written to is
    // noticed by the write's result, not by a signal that ends the server.
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sokuri-chasen-server"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the ChaSen server dialogue for a local ChaSen program."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("The TCP port (0: any free port)."),
                                        QStringLiteral("N"), QStringLiteral("31000"));
    const QCommandLineOption listenOption(QStringLiteral("listen"),
                                          QStringLiteral("The address to listen on."),
                                          QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption chasenOption(
        QStringLiteral("chasen"), QStringLiteral("The ChaSen or MeCab program."),
        QStringLiteral("PROGRAM"), QStringLiteral("/usr/bin/chasen"));
    parser.addOption(portOption);
    parser.addOption(listenOption);
    parser.addOption(chasenOption);
    if (const int status = sokuri::tools::ParseToolArguments(parser, out, err); status >= 0)
        return status;
    const int port = sokuri::tools::PortValue(parser, portOption, err);
    if (port < 0)
        return sokuri::tools::UsageStatus;
    const QHostAddress address(parser.value(listenOption));
    if (address.isNull()) {
        err << "sokuri-chasen-server: " << parser.value(listenOption) << " is no IP address"
            << Qt::endl;
        return 2;
    }
    const QString chasen = parser.value(chasenOption);
    const QFileInfo chasenInfo(chasen);
    if (!chasenInfo.isFile() || !chasenInfo.isExecutable()) {
        err << "sokuri-chasen-server: the analyser " << chasen << " is missing or cannot be run"
            << Qt::endl;
        return 1;
    }
    if (!QStringEncoder("EUC-JP").isValid()) {
        err << "sokuri-chasen-server: this Qt has no EUC-JP converter" << Qt::endl;
        return 1;
    }

    sokuri::chasenserver::ChasenServer server(chasen);
    QString errorText;
    if (!server.listen(address, quint16(port), &errorText)) {
        err << "sokuri-chasen-server: cannot listen on " << address.toString() << " port " << port
            << ": " << errorText << Qt::endl;
        return 1;
    }
    out << "listening on " << server.port() << Qt::endl;
    return app.exec();
}
