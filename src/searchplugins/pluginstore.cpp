#include "searchplugins/pluginstore.h"

#include "common/inifile.h"
#include "common/wholefile.h"
#include "platform/messagesink.h"
#include "searchplugins/plugincatalogue.h"
#include "searchplugins/pluginfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

// The desktop's trash lives in the user's data folder; without that folder
// Qt 6.4 makes a trash relative to the working folder, so the file is
// deleted instead.
bool moveToTrash(QFile& file)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QFileInfo(data).isDir())
        return false;
    const QString before = file.fileName();
    if (!file.moveToTrash())
        return false;
    if (QFileInfo(file.fileName()).isAbsolute())
        return true;
    QFile::remove(file.fileName());
    file.setFileName(before);
    return true;
}

} // namespace

QString FindPluginFile(const AppPaths& paths, const QString& name)
{
    if (!IsSafePluginName(name))
        return {};
    const QString own = PluginFilePath(paths, name);
    if (QFileInfo(own).isFile())
        return own;
    const QDir folder(paths.PluginPath);
    for (const QString& file :
         folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (file.contains(u".ini") &&
            IniFile::load(folder.filePath(file)).value(u"init"_s, u"name"_s) == name)
            return folder.filePath(file);
    }
    return {};
}

bool StorePluginFile(const AppPaths& paths, const QString& name, const QByteArray& bytes,
                     QString* errorText)
{
    if (!IsSafePluginName(name)) {
        if (errorText)
            *errorText = u"プラグイン名「%1」はファイル名に使えません"_s.arg(name);
        return false;
    }
    // The folder is made at start-up; the command line may meet a new one.
    QDir().mkdir(paths.PluginPath);
    return WriteWholeFile(PluginFilePath(paths, name), bytes, errorText);
}

bool RemovePlugin(const AppPaths& paths, const QString& name, QString* errorText)
{
    const QString file = FindPluginFile(paths, name);
    if (file.isEmpty()) {
        if (errorText)
            *errorText = u"プラグイン「%1」はありません"_s.arg(name);
        return false;
    }
    QFile plugin(file);
    if (moveToTrash(plugin) || plugin.remove())
        return true;
    if (errorText)
        *errorText = file + u" を削除できません。(" + plugin.errorString() + u")";
    return false;
}

bool RemovePluginAsked(const AppPaths& paths, PluginCatalogue& catalogue, MessageSink& messages,
                       const QString& name)
{
    const QString title = u"プラグインの削除"_s;
    if (!messages.question({u"プラグイン「%1」を削除しますか?"_s.arg(name), title}))
        return false;
    QString error;
    const bool removed = RemovePlugin(paths, name, &error);
    if (!removed)
        messages.critical({error, title});
    catalogue.refresh(paths);
    return removed;
}

} // namespace sokuri
