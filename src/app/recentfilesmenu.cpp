#include "app/recentfilesmenu.h"

#include "platform/messagesink.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

namespace sokuri {

using namespace Qt::StringLiterals;

RecentFilesMenu::RecentFilesMenu(const QString& title, MessageSink& messages, QWidget* parent)
    : QMenu(title, parent)
    , m_messages(messages)
{
    setObjectName(u"mnuFileRecent"_s);
    rebuild();
}

void RecentFilesMenu::load(const QString& iniPath)
{
    m_iniPath = iniPath;
    m_recent.load(iniPath);
    rebuild();
}

void RecentFilesMenu::add(const QString& path)
{
    m_recent.add(path);
    rebuild();
    keep();
}

void RecentFilesMenu::choose(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        m_recent.remove(path);
        rebuild();
        keep();
        m_messages.critical({QDir::toNativeSeparators(path) +
                                 u" が見つかりません。最近使ったファイルの一覧から削除しました。"_s,
                             u"Sokuri"_s});
        return;
    }
    emit chosen(path);
}

void RecentFilesMenu::rebuild()
{
    // The entry being chosen may be the one replaced: the old ones go once
    // the menu's event has ended.
    for (QAction* old : actions()) {
        removeAction(old);
        old->setParent(nullptr);
        old->deleteLater();
    }
    const QStringList& paths = m_recent.paths();
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        // "&1 name" for the first nine; the full path as the tip.
        QString caption = QFileInfo(path).fileName();
        caption.replace(u'&', u"&&"_s);
        QAction* action = addAction(u'&' + QString::number(i + 1) + u' ' + caption);
        action->setObjectName(u"mnuFileRecent"_s + QString::number(i + 1));
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { choose(path); });
    }
    setToolTipsVisible(true);
    setEnabled(!paths.isEmpty());
}

void RecentFilesMenu::keep()
{
    // The list is a convenience: a settings file that cannot be written
    // leaves it in memory for this run.
    if (!m_iniPath.isEmpty())
        m_recent.save(m_iniPath);
}

} // namespace sokuri
