#include "app/appfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace sokuri {

namespace {

// Whether files can be made in folder (a test file is made and removed, so
// the answer holds for the user who runs the program, root included).
bool canWriteIn(const QString& folder)
{
    QTemporaryFile probe(folder + u"/.sokuri-write-test-XXXXXX");
    return probe.open();
}

// Copies source to target unless target exists; executables stay executable.
bool copyMissing(const QString& source, const QString& target)
{
    if (QFileInfo::exists(target) || !QFileInfo::exists(source))
        return true;
    return QFile::copy(source, target);
}

bool copyFolderMissing(const QString& source, const QString& target)
{
    if (!QDir().mkpath(target))
        return false;
    bool ok = true;
    const QDir from(source);
    for (const QFileInfo& entry : from.entryInfoList(QDir::Files | QDir::NoDotAndDotDot))
        ok = copyMissing(entry.absoluteFilePath(), target + u'/' + entry.fileName()) && ok;
    return ok;
}

} // namespace

QString UserDataHome()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + u"/.local/share";
}

AppFolder ChooseAppFolder(const QString& programDir, const QString& dataHome)
{
    AppFolder folder;
    folder.path = QDir::cleanPath(QFileInfo(programDir).absoluteFilePath());
    const bool installed = QFileInfo::exists(folder.path + u'/' + QStringView(InstalledMarker));
    if (!installed && canWriteIn(folder.path))
        return folder;

    const QString user = QDir::cleanPath(dataHome + u"/sokuri");
    const bool existed = QFileInfo(user + u"/sokuri.ini").isFile();
    bool ok = QDir().mkpath(user);
    ok = ok && copyMissing(folder.path + u"/sokuri.ini", user + u"/sokuri.ini");
    ok = ok && copyMissing(folder.path + u"/chasen.sh", user + u"/chasen.sh");
    ok = ok && copyFolderMissing(folder.path + u"/plugins", user + u"/plugins");
    if (!ok) {
        folder.errorText = user + u" を作成できません。";
        return folder;
    }
    folder.path = user;
    folder.madeNow = !existed;
    return folder;
}

} // namespace sokuri
