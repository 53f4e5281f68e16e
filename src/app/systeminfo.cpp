#include "app/systeminfo.h"

#include <QFileInfo>
#include <QSslSocket>
#include <QSysInfo>
#include <QtGlobal>

#include <libxml/xmlversion.h>
#include <unicode/uversion.h>
#include <zlib.h>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

bool isMecab(const QString& program)
{
    return QFileInfo(program).fileName().contains(u"mecab"_s, Qt::CaseInsensitive);
}

} // namespace

QStringList SystemVersionLines()
{
    QStringList lines;
    lines.append(u"Sokuri "_s + QString::fromUtf8(SOKURI_VERSION_TEXT));
    lines.append(u"Qt "_s + QString::fromLatin1(qVersion()) + u" (ビルド時 "_s +
                 QString::fromLatin1(QT_VERSION_STR) + u')');
    UVersionInfo icu;
    u_getVersion(icu);
    char icuText[U_MAX_VERSION_STRING_LENGTH] = {};
    u_versionToString(icu, icuText);
    lines.append(u"ICU "_s + QString::fromLatin1(icuText));
    lines.append(u"libxml2 "_s + QString::fromLatin1(LIBXML_DOTTED_VERSION));
    const QString ssl = QSslSocket::sslLibraryVersionString();
    lines.append(ssl.isEmpty() ? u"OpenSSL: なし"_s : ssl);
    lines.append(u"zlib "_s + QString::fromLatin1(zlibVersion()));
    lines.append(u"OS: "_s + QSysInfo::prettyProductName() + u" ("_s + QSysInfo::kernelType() +
                 u' ' + QSysInfo::kernelVersion() + u", "_s + QSysInfo::currentCpuArchitecture() +
                 u')');
    return lines;
}

QString AnalyserDescription(const ChasenSettings& settings)
{
    if (settings.type == ChasenSettings::Server)
        return u"茶筅サーバー "_s + settings.host + u':' + settings.port;
    const QString name = isMecab(settings.filename) ? u"MeCab"_s : u"ChaSen"_s;
    return name + u" ("_s + settings.filename + u')';
}

QString AnalyserVersionOption(const ChasenSettings& settings)
{
    if (settings.type == ChasenSettings::Server || settings.filename.isEmpty())
        return {};
    return isMecab(settings.filename) ? u"-v"_s : u"-V"_s;
}

} // namespace sokuri
