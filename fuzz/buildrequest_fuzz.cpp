// Arbitrary bytes as a plugin file in a plugin folder: the catalogue's read
// of the folder, and the request that the builder makes of the plugin for a
// few keyword strings.

#include "searchplugins/buildrequest.h"

#include "fuzzcheck.h"
#include "retrieval/searchconnection.h"
#include "searchplugins/pluginfolder.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::fuzz::Check;

namespace {

// One application folder for the whole run, in memory where /dev/shm is at
// hand; each input replaces the file.
QTemporaryDir& appDir()
{
    static QTemporaryDir inMemory(QStringLiteral("/dev/shm/sokuri-fuzz-XXXXXX"));
    if (inMemory.isValid())
        return inMemory;
    static QTemporaryDir onDisk;
    return onDisk;
}

const AppPaths& appPaths()
{
    static QTemporaryDir& dir = appDir();
    static const AppPaths paths = [] {
        if (!dir.isValid())
            std::abort();
        return InitAppState(dir.path()).paths;
    }();
    return paths;
}

bool isQueryCharacter(QChar c)
{
    // Percent-encoded text: printable ASCII, never a blank or a line end.
    return c.unicode() > 0x20 && c.unicode() < 0x7F;
}

void checkRequest(const PluginSlot& slot, bool usable, const QString& keywords)
{
    Check(!keywords.contains(u' '), "every blank of the keywords becomes \"+\"");
    Check(slot.ResultCharset == slot.ResultCharset.toLower(), "the result charset is lower-cased");
    Check(std::all_of(slot.Query.begin(), slot.Query.end(), isQueryCharacter),
          "the query is percent-encoded");
    Check(slot.BaseUrl.startsWith(slot.Scheme + u"://") && slot.BaseUrl.endsWith(u'/'),
          "the base address is scheme, host and \"/\"");
    if (!usable)
        return;
    Check(!slot.Host.isEmpty(), "a usable request names a host");
    Check(slot.Port >= 1 && slot.Port <= 65535, "a usable request names a port");
    Check(slot.Path.startsWith(u'/'), "a usable request has a path");
    const QByteArray request = BuildRequestBytes(slot);
    const qsizetype head = request.indexOf("\r\n\r\n");
    Check(head >= 0, "the request has its empty line");
    const QByteArray lines = request.first(head);
    // The request line, the Host and User-Agent lines, the plugin's own header
    // lines, and for POST the two form headers: every line the plugin file
    // names is one line, and nothing else from it adds one.
    const qsizetype expected =
        2 + slot.Headers.size() + (slot.Method.compare(u"post", Qt::CaseInsensitive) == 0 ? 2 : 0);
    Check(lines.count("\r\n") == expected && lines.count('\r') == expected &&
              lines.count('\n') == expected,
          "the plugin file adds only its own header lines to the request");
    Check(std::all_of(slot.Headers.begin(), slot.Headers.end(),
                      [](const QString& line) { return line.indexOf(u':') > 0; }),
          "every header line of the plugin has a name");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const AppPaths& paths = appPaths();
    // A new file rather than the old one truncated: the file system writes a
    // truncated and rewritten file out at once, which would cost each input
    // a disk write.
    QFile file(PluginFilePath(paths, u"fuzz"_s));
    file.remove();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(fuzz::InputBytes(data, size).toByteArray()) != qint64(size))
        std::abort();
    file.close();

    const QList<CatalogueEntry> entries = ReadPluginFolder(paths.PluginPath);
    for (const CatalogueEntry& entry : entries)
        Check(IsSafePluginName(entry.text), "only safe names are listed");

    for (QString keywords : {u"京都 旅館"_s, u"a\"b >c&d=e%"_s, u""_s}) {
        PluginSlot slot;
        const bool usable = BuildRequest(paths, u"fuzz"_s, keywords, slot);
        checkRequest(slot, usable, keywords);
    }
    return 0;
}
