#pragma once

#include "app/recentfiles.h"

#include <QMenu>
#include <QString>

namespace sokuri {

class MessageSink;

// The File menu's list of recent documents (mnuFileRecent), kept in
// sokuri.ini. Choosing an entry whose file is gone removes it with a
// message; any other is handed on through chosen.
class RecentFilesMenu : public QMenu
{
    Q_OBJECT

public:
    RecentFilesMenu(const QString& title, MessageSink& messages, QWidget* parent = nullptr);

    // Reads the list kept in the settings file iniPath, which it keeps from
    // now on.
    void load(const QString& iniPath);
    // Puts path first and keeps the list.
    void add(const QString& path);
    const QStringList& paths() const { return m_recent.paths(); }

signals:
    void chosen(const QString& path);

private:
    void choose(const QString& path);
    void rebuild();
    void keep();

    MessageSink& m_messages;
    RecentFiles m_recent;
    QString m_iniPath;
};

} // namespace sokuri
