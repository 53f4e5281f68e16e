#include "searchplugins/pluginupdater.h"

#include "common/inifile.h"
#include "common/wholefile.h"
#include "platform/messagesink.h"
#include "searchplugins/plugincatalogue.h"
#include "searchplugins/pluginfolder.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

const QString Init = u"init"_s;

} // namespace

PluginUpdater::PluginUpdater(const AppPaths& paths, PluginCatalogue& catalogue,
                             MessageSink& messages, QObject* parent)
    : QObject(parent)
    , m_paths(paths)
    , m_catalogue(catalogue)
    , m_messages(messages)
{
    connect(&m_download, &PluginDownload::finished, this, &PluginUpdater::downloadFinished);
    m_download.setProxySettings(LoadProxySettings(paths));
}

PluginUpdater::~PluginUpdater() = default;

QString PluginUpdater::DownloadPath(const AppPaths& paths)
{
    return paths.TmpPath + u"/plugin.ini";
}

QString PluginUpdater::CompletionText()
{
    return u"プラグインのアップデートが完了しました。"_s;
}

void PluginUpdater::start()
{
    if (m_running)
        return;
    m_running = true;
    m_stopRequested = false;
    m_entries.clear();
    for (const CatalogueEntry& entry : m_catalogue.entries())
        m_entries.append(entry.text);
    m_next = 0;
    emit progressChanged(0, int(m_entries.size()));
    QMetaObject::invokeMethod(this, &PluginUpdater::processNext, Qt::QueuedConnection);
}

void PluginUpdater::stop()
{
    if (!m_running)
        return;
    m_stopRequested = true;
    // The reply's finished signal records the plugin and ends the pass.
    m_download.abort();
}

void PluginUpdater::processNext()
{
    while (m_running) {
        if (m_stopRequested || m_next >= m_entries.size()) {
            finish();
            return;
        }
        const QString entry = m_entries.at(m_next);
        const IniFile installed = IniFile::load(PluginFilePath(m_paths, entry));
        m_current = {};
        m_current.entry = entry;
        m_current.installedVersion = installed.value(Init, u"version"_s);
        emit statusChanged(installed.value(Init, u"name"_s) + u"　アップデート処理中");

        const QString address = installed.value(Init, u"update"_s);
        if (address.isEmpty())
            complete(PluginUpdateOutcome::Skipped);
        else if (!m_download.start(address))
            complete(PluginUpdateOutcome::Failed, u"http: か https: のアドレスではありません"_s);
        else
            return; // downloadFinished() goes on
    }
}

void PluginUpdater::downloadFinished()
{
    if (m_stopRequested)
        complete(PluginUpdateOutcome::Stopped);
    else if (!m_download.succeeded())
        complete(PluginUpdateOutcome::Failed, m_download.errorText());
    else
        installCopy(m_download.body());
    processNext();
}

void PluginUpdater::installCopy(const QByteArray& copy)
{
    // The scratch folder is made at start-up; it may be gone since, or never
    // have been made by the command line.
    QDir().mkdir(m_paths.TmpPath);
    QString error;
    if (!WriteWholeFile(DownloadPath(m_paths), copy, &error)) {
        complete(PluginUpdateOutcome::Failed, error);
        return;
    }
    m_current.downloadedVersion = IniFile::fromBytes(copy).value(Init, u"version"_s);
    if (m_current.downloadedVersion.isEmpty() ||
        m_current.downloadedVersion == m_current.installedVersion) {
        complete(PluginUpdateOutcome::Unchanged);
        return;
    }
    if (!WriteWholeFile(PluginFilePath(m_paths, m_current.entry), copy, &error)) {
        // The user's plugin stays as it was; the window has no other place to
        // say so.
        m_messages.critical({error, u"Plugin Update"_s});
        complete(PluginUpdateOutcome::Failed, error);
        return;
    }
    complete(PluginUpdateOutcome::Updated);
}

void PluginUpdater::complete(PluginUpdateOutcome::Kind kind, const QString& reason)
{
    m_current.kind = kind;
    m_current.reason = reason;
    ++m_next;
    emit pluginFinished(m_current);
    emit progressChanged(m_next, int(m_entries.size()));
}

void PluginUpdater::finish()
{
    m_running = false;
    const bool stopped = m_stopRequested;
    if (!stopped) {
        emit statusChanged(u"アップデート完了"_s);
        m_messages.information({CompletionText(), u"Plugin Update"_s});
    }
    m_catalogue.refresh(m_paths);
    emit finished(stopped);
}

} // namespace sokuri
