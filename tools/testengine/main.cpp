#include "testengine/rootfiles.h"
#include "testengine/testengine.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QStringList>

#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;
using sokuri::test::EnginePage;
using sokuri::test::TestEngine;

namespace {

constexpr char Usage[] =
    "usage: sokuri-test-engine [--port N] [--root DIR] [--page PATH=FILE]...\n"
    "                          [--delay MS] [--never-close] [--tls CERT KEY] [--record FILE]\n"
    "                          [--status CODE] [--header LINE]...\n"
    "  --port N          listen on 127.0.0.1:N (0, the default: any free port)\n"
    "  --root DIR        serve the files of DIR by request path (\"/\" gives index.html)\n"
    "  --page PATH=FILE  answer PATH (\"*\": every other path) with the bytes of FILE\n"
    "  --delay MS        wait MS milliseconds before each reply\n"
    "  --never-close     keep every connection open after its reply\n"
    "  --tls CERT KEY    speak TLS with the PEM certificate and key\n"
    "  --record FILE     append every raw request to FILE\n"
    "  --status CODE     answer with this HTTP status (200, the default; 429, 403, 503, ...)\n"
    "  --header LINE     add the header LINE (\"Retry-After: 120\") to every answer\n"
    "Prints \"listening on PORT\" once it is ready.\n";

struct Options
{
    quint16 port = 0;
    QString root;
    QHash<QString, QString> pages;
    int delayMs = 0;
    bool neverClose = false;
    QString certFile;
    QString keyFile;
    QString recordFile;
    int status = 200;
    QList<QByteArray> headers;
    bool help = false;
};

void Complain(const QString& text)
{
    std::fprintf(stderr, "sokuri-test-engine: %s\n", text.toLocal8Bit().constData());
}

bool ParseNumber(const QString& text, int maximum, int& value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= 0 && value <= maximum;
}

// The options of the command line; nothing when they are wrong (the reason
// has been printed).
std::optional<Options> ParseArguments(const QStringList& arguments)
{
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        const qsizetype values = name == u"--tls"_s                                  ? 2
                                 : name == u"--never-close"_s || name == u"--help"_s ? 0
                                                                                     : 1;
        if (i + values >= arguments.size()) {
            Complain(u"%1 needs %2 value(s)"_s.arg(name).arg(values));
            return std::nullopt;
        }
        const QString value = values > 0 ? arguments[i + 1] : QString();
        int number = 0;
        if (name == u"--help"_s) {
            options.help = true;
        } else if (name == u"--port"_s) {
            if (!ParseNumber(value, 65535, number)) {
                Complain(u"bad port: %1"_s.arg(value));
                return std::nullopt;
            }
            options.port = quint16(number);
        } else if (name == u"--delay"_s) {
            if (!ParseNumber(value, 24 * 3600 * 1000, number)) {
                Complain(u"bad delay: %1"_s.arg(value));
                return std::nullopt;
            }
            options.delayMs = number;
        } else if (name == u"--root"_s) {
            options.root = value;
        } else if (name == u"--page"_s) {
            const qsizetype equals = value.indexOf(u'=');
            if (equals <= 0 || equals == value.size() - 1) {
                Complain(u"--page wants PATH=FILE, not %1"_s.arg(value));
                return std::nullopt;
            }
            options.pages.insert(value.first(equals), value.sliced(equals + 1));
        } else if (name == u"--never-close"_s) {
            options.neverClose = true;
        } else if (name == u"--tls"_s) {
            options.certFile = value;
            options.keyFile = arguments[i + 2];
        } else if (name == u"--record"_s) {
            options.recordFile = value;
        } else if (name == u"--status"_s) {
            if (!ParseNumber(value, 999, number) || number < 100) {
                Complain(u"bad status: %1"_s.arg(value));
                return std::nullopt;
            }
            options.status = number;
        } else if (name == u"--header"_s) {
            if (value.contains(u'\r') || value.contains(u'\n') || !value.contains(u':')) {
                Complain(u"--header wants one \"Name: value\" line, not %1"_s.arg(value));
                return std::nullopt;
            }
            options.headers.append(value.toUtf8());
        } else {
            Complain(u"unknown option: %1"_s.arg(name));
            return std::nullopt;
        }
        i += values;
    }
    return options;
}

EnginePage PageOf(const QByteArray& body, const Options& options)
{
    EnginePage page;
    page.header = "HTTP/1.0 " + QByteArray::number(options.status) + " " +
                  (options.status == 200 ? QByteArray("OK") : QByteArray("Status")) +
                  "\r\nContent-Type: text/html\r\n";
    for (const QByteArray& line : options.headers)
        page.header += line + "\r\n";
    page.header += "\r\n";
    page.body = body;
    page.delayMs = options.delayMs;
    page.neverClose = options.neverClose;
    return page;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> parsed = ParseArguments(QCoreApplication::arguments());
    if (!parsed) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const Options& options = *parsed;
    if (options.help) {
        std::fputs(Usage, stdout);
        return 0;
    }

    TestEngine engine;
    for (auto page = options.pages.cbegin(); page != options.pages.cend(); ++page) {
        QFile file(page.value());
        if (!file.open(QIODevice::ReadOnly)) {
            Complain(u"cannot read %1: %2"_s.arg(page.value(), file.errorString()));
            return 1;
        }
        engine.setPage(page.key(), PageOf(file.readAll(), options));
    }
    if (!options.root.isEmpty()) {
        // Files are read at each request, so edits show without a restart.
        engine.setPageSource([&options](const QString& path) -> std::optional<EnginePage> {
            QFile file(sokuri::test::RootFilePath(options.root, path));
            if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
                return std::nullopt;
            return PageOf(file.readAll(), options);
        });
    }

    QFile record(options.recordFile);
    if (!options.recordFile.isEmpty()) {
        if (!record.open(QIODevice::WriteOnly | QIODevice::Append)) {
            Complain(u"cannot write %1: %2"_s.arg(options.recordFile, record.errorString()));
            return 1;
        }
        QObject::connect(
            &engine, &TestEngine::requestReceived, &record, [&record](const QByteArray& raw) {
                // One write per request, passed on at once, so a
                // reader sees whole requests.
                if (record.write(raw) != raw.size() || !record.flush())
                    Complain(u"cannot write %1: %2"_s.arg(record.fileName(), record.errorString()));
            });
    }

    const bool listening = options.certFile.isEmpty()
                               ? engine.listen(options.port)
                               : engine.listenTls(options.certFile, options.keyFile, options.port);
    if (!listening) {
        Complain(u"cannot listen on port %1: %2"_s.arg(options.port).arg(engine.errorString()));
        return 1;
    }
    std::printf("listening on %u\n", unsigned(engine.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
