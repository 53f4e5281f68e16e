#pragma once

#include "common/appstate.h"
#include "searchplugins/plugindownload.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <functional>

namespace sokuri {

class PluginCatalogue;

// What became of one installation.
struct PluginInstallResult
{
    bool installed = false;
    QString name;      // the plugin's name, once the file has been read
    QString errorText; // why nothing was installed
};

// Installs plugins from a file or an http(s): address, either a plugin file
// as it is or a plugin made from an OpenSearch description. The bytes are
// checked before anything is written; the plugin is stored as <name>.ini,
// whole or not at all, and a plugin of that name is replaced only when the
// confirmation says so. After an installation the catalogue (when one is
// given) is refreshed, keeping check marks by name. Downloads have the limits
// of every plugin download (PluginDownload).
class PluginInstaller : public QObject
{
    Q_OBJECT

public:
    // Asked, with the plugin's name, before an installed plugin is replaced.
    using ConfirmReplace = std::function<bool(const QString& name)>;

    PluginInstaller(const AppPaths& paths, PluginCatalogue* catalogue, QObject* parent = nullptr);

    void setConfirmReplace(ConfirmReplace confirm) { m_confirm = std::move(confirm); }
    PluginDownload& download() { return m_download; }

    // Starts an installation from a file path or an address; finished()
    // follows from the event loop. False, with nothing started, while one is
    // under way.
    bool install(const QString& source);
    bool importOpenSearch(const QString& source);
    bool isBusy() const { return m_busy; }

signals:
    void finished(const sokuri::PluginInstallResult& result);

private:
    bool begin(const QString& source, bool openSearch);
    void downloadFinished();
    void takeBytes(const QByteArray& bytes);
    void finish(PluginInstallResult result);

    AppPaths m_paths;
    PluginCatalogue* m_catalogue = nullptr;
    ConfirmReplace m_confirm;
    PluginDownload m_download;
    bool m_busy = false;
    bool m_openSearch = false;
    QString m_source;
};

} // namespace sokuri

Q_DECLARE_METATYPE(sokuri::PluginInstallResult)
