#include "common/userkeys.h"

#include "common/inifile.h"

#include <QFile>

namespace sokuri {

namespace {

const QString Section = QStringLiteral("keys");

QString encoded(const QString& text)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding());
}

} // namespace

QString UserKeysPath(const AppPaths& paths)
{
    return paths.AppPath + QStringLiteral("/userkeys.ini");
}

QString LoadUserKey(const AppPaths& paths, const QString& plugin)
{
    if (plugin.isEmpty())
        return {};
    const QString value = GetIniString(Section, encoded(plugin), UserKeysPath(paths));
    return QString::fromUtf8(QByteArray::fromPercentEncoding(value.toLatin1()));
}

bool SaveUserKey(const AppPaths& paths, const QString& plugin, const QString& key,
                 QString* errorText)
{
    const QString path = UserKeysPath(paths);
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    // The file is made the user's alone before any key is written to it; the
    // whole-file write keeps the permissions of the file it replaces.
    if (!QFile::exists(path)) {
        QFile made(path);
        if (!made.open(QIODevice::WriteOnly) || !made.setPermissions(ownerOnly)) {
            if (errorText)
                *errorText = path + QStringLiteral(" を作れません。(") + made.errorString() + u')';
            return false;
        }
    }
    if (!WriteIniString(Section, encoded(plugin), encoded(key), path, errorText))
        return false;
    QFile::setPermissions(path, ownerOnly);
    return true;
}

} // namespace sokuri
