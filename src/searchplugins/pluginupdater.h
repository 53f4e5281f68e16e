#pragma once

#include "common/appstate.h"
#include "searchplugins/plugindownload.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

namespace sokuri {

class MessageSink;
class PluginCatalogue;

// What the update pass did with one catalogue entry.
struct PluginUpdateOutcome
{
    enum Kind {
        Updated,   // the copy had another, non-empty version and replaced the file
        Unchanged, // the copy's version was empty or the same
        Skipped,   // the plugin names no update address
        Failed,    // the download or a write failed; the file is as it was
        Stopped,   // the pass was stopped while this plugin was being fetched
    };

    Kind kind = Skipped;
    QString entry;             // the catalogue entry's text (the file's base name)
    QString installedVersion;  // init/version of the installed file
    QString downloadedVersion; // init/version of the copy, when one arrived
    QString reason;            // why it failed
};

// The plugin update pass: for every catalogue entry, in list order and
// checked or not, the copy that its init/update address names is downloaded
// into TmpPath + "/plugin.ini", and the installed file is replaced by it when
// the copy's init/version is not empty and differs, as text, from the
// installed one. The copy keeps the installed file's name, whatever name it
// declares. The pass ends with the completion message and a catalogue
// refresh that keeps check marks by name.
//
// The pass is event-driven: start() returns at once and each plugin's turn
// begins when the previous download has finished. A download that fails,
// takes longer than the transfer time-out without data, or grows beyond
// MaxDownloadBytes skips that plugin; files are replaced whole or not at all.
class PluginUpdater : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 MaxDownloadBytes = PluginDownload::MaxBytes;
    static constexpr int DefaultTransferTimeoutMs = PluginDownload::DefaultTransferTimeoutMs;

    PluginUpdater(const AppPaths& paths, PluginCatalogue& catalogue, MessageSink& messages,
                  QObject* parent = nullptr);
    ~PluginUpdater() override;

    // The download file of the pass, left in place after it.
    static QString DownloadPath(const AppPaths& paths);
    static QString CompletionText();

    // Milliseconds without data after which a download counts as failed.
    void setTransferTimeout(int milliseconds) { m_download.setTransferTimeout(milliseconds); }

    // Starts the pass over the entries the catalogue has now. Does nothing
    // while a pass is running.
    void start();
    // Ends the pass before the next plugin: a download under way is dropped
    // and leaves its plugin as it was. The catalogue is refreshed all the
    // same; no completion message is shown.
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // done of total entries have been dealt with: (0, total) at the start,
    // then once after every entry. A pass over no entries reports (0, 0).
    void progressChanged(int done, int total);
    // The status line: the installed name + "　アップデート処理中" while a
    // plugin is dealt with, "アップデート完了" at the end.
    void statusChanged(const QString& text);
    void pluginFinished(const sokuri::PluginUpdateOutcome& outcome);
    // The pass is over and the catalogue refreshed; stopped tells a pass
    // ended by stop().
    void finished(bool stopped);

private:
    void processNext();
    void downloadFinished();
    void installCopy(const QByteArray& copy);
    void complete(PluginUpdateOutcome::Kind kind, const QString& reason = {});
    void finish();

    AppPaths m_paths;
    PluginCatalogue& m_catalogue;
    MessageSink& m_messages;
    PluginDownload m_download;

    bool m_running = false;
    bool m_stopRequested = false;
    QStringList m_entries; // the entries' texts when the pass started
    int m_next = 0;        // the entry being dealt with
    PluginUpdateOutcome m_current;
};

} // namespace sokuri

Q_DECLARE_METATYPE(sokuri::PluginUpdateOutcome)
