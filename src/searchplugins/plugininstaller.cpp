#include "searchplugins/plugininstaller.h"

#include "searchplugins/opensearchimport.h"
#include "searchplugins/plugincatalogue.h"
#include "searchplugins/pluginfilecheck.h"
#include "searchplugins/pluginfolder.h"
#include "searchplugins/pluginstore.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace sokuri {

PluginInstaller::PluginInstaller(const AppPaths& paths, PluginCatalogue* catalogue, QObject* parent)
    : QObject(parent)
    , m_paths(paths)
    , m_catalogue(catalogue)
{
    connect(&m_download, &PluginDownload::finished, this, &PluginInstaller::downloadFinished);
    m_download.setProxySettings(LoadProxySettings(paths));
}

bool PluginInstaller::install(const QString& source)
{
    return begin(source, false);
}

bool PluginInstaller::importOpenSearch(const QString& source)
{
    return begin(source, true);
}

bool PluginInstaller::begin(const QString& source, bool openSearch)
{
    if (m_busy)
        return false;
    m_busy = true;
    m_openSearch = openSearch;
    m_source = source.trimmed();
    if (const QUrl url(m_source); url.isLocalFile())
        m_source = url.toLocalFile();

    if (m_source.contains(u"://")) {
        if (!m_download.start(m_source)) {
            finish({false, {}, u"http: か https: のアドレスではありません: "_s + m_source});
        }
        return true;
    }
    // A file: read no more than any plugin or description may hold.
    const qint64 limit = openSearch ? PluginDownload::MaxBytes : MaxPluginFileBytes;
    QFile file(m_source);
    if (!QFileInfo(m_source).isFile() || !file.open(QIODevice::ReadOnly)) {
        finish({false, {}, m_source + u" を読み込めません。"_s});
        return true;
    }
    takeBytes(file.read(limit + 1));
    return true;
}

void PluginInstaller::downloadFinished()
{
    if (!m_download.succeeded())
        finish({false, {}, m_source + u": "_s + m_download.errorText()});
    else
        takeBytes(m_download.body());
}

void PluginInstaller::takeBytes(const QByteArray& bytes)
{
    QString name;
    QByteArray plugin;
    QString error;
    if (m_openSearch) {
        if (bytes.size() > PluginDownload::MaxBytes) {
            error = PluginDownload::TooLargeText();
        } else {
            const OpenSearchImport made = ImportOpenSearch(bytes, m_source);
            name = made.name;
            plugin = made.bytes;
            error = made.errorText;
        }
    } else {
        const PluginFileCheck check = CheckPluginFile(bytes);
        name = check.name;
        plugin = check.bytes;
        error = check.errorText;
    }
    if (!error.isEmpty()) {
        finish({false, name, error});
        return;
    }
    if (QFileInfo::exists(PluginFilePath(m_paths, name)) && !(m_confirm && m_confirm(name))) {
        finish(
            {false, name, u"プラグイン「%1」は既にあります。置き換えませんでした。"_s.arg(name)});
        return;
    }
    if (!StorePluginFile(m_paths, name, plugin, &error)) {
        finish({false, name, error});
        return;
    }
    if (m_catalogue)
        m_catalogue->refresh(m_paths);
    finish({true, name, {}});
}

void PluginInstaller::finish(PluginInstallResult result)
{
    // The result always arrives from the event loop, after install() has
    // returned.
    QMetaObject::invokeMethod(
        this,
        [this, result] {
            m_busy = false;
            emit finished(result);
        },
        Qt::QueuedConnection);
}

} // namespace sokuri
