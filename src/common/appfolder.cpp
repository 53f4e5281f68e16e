#include "common/appfolder.h"

#include "common/analyserprogram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

// Gives the user's plugin folder every installed plugin file it has not been
// given before: a new engine arrives with a new installation, a file the user
// changed stays as it is, and one the user deleted does not come back. The
// names given so far are kept in offeredList, one a line; a folder made before
// the list existed counts the files it holds as given.
bool addNewPlugins(const QString& source, const QString& target, const QString& offeredList)
{
    if (!QDir().mkpath(target))
        return false;
    QFile list(offeredList);
    QStringList offered;
    if (list.open(QIODevice::ReadOnly))
        offered = QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts);
    list.close();

    bool ok = true;
    bool added = false;
    const QDir from(source);
    for (const QFileInfo& entry : from.entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
        if (offered.contains(entry.fileName()))
            continue;
        if (!copyMissing(entry.absoluteFilePath(), target + u'/' + entry.fileName())) {
            ok = false;
            continue;
        }
        offered.append(entry.fileName());
        added = true;
    }
    if (added) {
        // Without the list the next start offers the same files again, which
        // only brings back a deleted one: not worth failing the start for.
        QSaveFile save(offeredList);
        if (save.open(QIODevice::WriteOnly)) {
            save.write((offered.join(u'\n') + u'\n').toUtf8());
            save.commit();
        }
    }
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
    // A first start takes MeCab where ChaSen is not installed.
    ok = ok && (existed || ChooseDefaultAnalyser(user + u"/sokuri.ini"));
    ok = ok && copyMissing(folder.path + u"/chasen.sh", user + u"/chasen.sh");
    ok = ok && addNewPlugins(folder.path + u"/plugins", user + u"/plugins",
                             user + u'/' + QStringView(OfferedPluginsList));
    if (!ok) {
        folder.errorText = user + u" を作成できません。";
        return folder;
    }
    folder.path = user;
    folder.madeNow = !existed;
    return folder;
}

} // namespace sokuri
