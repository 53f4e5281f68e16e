#include "documents/documentformat.h"

#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::readFile;
using sokuri::test::TempAppDir;

// Saving is whole or not at all: a write that fails half way leaves the
// earlier document as it was and no stray file beside it.

namespace {

Document smallDocument()
{
    Document document;
    document.text = u"前の文書"_s;
    document.mode = 2;
    document.plugins = {{u"alpha"_s, true}};
    return document;
}

// About 200 KB, far beyond the limits below.
Document largeDocument()
{
    Document document;
    document.text = u"大きな文書"_s;
    for (int i = 0; i < 200; ++i)
        document.rows.append(
            {u"題%1"_s.arg(i), u"alpha"_s, u"100"_s, u"jp"_s, QString(500, u'本')});
    return document;
}

QByteArray bytesOf(const Document& document)
{
    QByteArray out;
    EXPECT_TRUE(EncodeDocument(document, out));
    return out;
}

// Makes every write beyond a file size fail as a full disk does (EFBIG),
// for this process and for as long as it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A small tmpfs over a folder, unmounted again at the end; only root can
// make one.
class TmpfsMount
{
public:
    bool mount(const QString& folder, const QString& options)
    {
        if (geteuid() != 0 || !QDir().mkpath(folder))
            return false;
        m_folder = folder;
        m_mounted = run(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, options, u"tmpfs"_s, folder});
        return m_mounted;
    }
    bool remount(const QString& options)
    {
        return run(u"mount"_s, {u"-o"_s, u"remount,"_s + options, m_folder});
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            run(u"umount"_s, {m_folder});
    }

private:
    QString m_folder;
    bool m_mounted = false;
};

void expectEarlierDocumentKept(const QString& folder, const QString& path)
{
    EXPECT_EQ(readFile(path), bytesOf(smallDocument()));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"a.skr"_s});
    Document read;
    ASSERT_TRUE(ReadDocumentFile(path, read));
    EXPECT_EQ(read, smallDocument());
}

} // namespace

TEST(DocumentSave, AWriteThatFailsHalfWayKeepsTheEarlierFile)
{
    TempAppDir dir;
    const QString path = dir.file(u"a.skr"_s);
    ASSERT_TRUE(WriteDocumentFile(path, smallDocument()));
    QString error;
    {
        FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(WriteDocumentFile(path, largeDocument(), &error));
    }
    EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
    expectEarlierDocumentKept(dir.path(), path);
}

TEST(DocumentSave, AFullDiskKeepsTheEarlierFile)
{
    TempAppDir dir;
    const QString folder = dir.file(u"disk"_s);
    TmpfsMount disk;
    if (!disk.mount(folder, u"size=64k"_s))
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    const QString path = folder + u"/a.skr";
    ASSERT_TRUE(WriteDocumentFile(path, smallDocument()));
    QString error;
    EXPECT_FALSE(WriteDocumentFile(path, largeDocument(), &error));
    EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
    expectEarlierDocumentKept(folder, path);
}

TEST(DocumentSave, AReadOnlyFolderKeepsTheEarlierFile)
{
    TempAppDir dir;
    const QString folder = dir.file(u"readonly"_s);
    const QString path = folder + u"/a.skr";
    TmpfsMount disk;
    if (geteuid() == 0) {
        // Root writes through permissions: a file system mounted read-only
        // is what stops it.
        if (!disk.mount(folder, u"size=1m"_s))
            GTEST_SKIP() << "a tmpfs cannot be mounted here";
        ASSERT_TRUE(WriteDocumentFile(path, smallDocument()));
        ASSERT_TRUE(disk.remount(u"ro"_s));
    } else {
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(WriteDocumentFile(path, smallDocument()));
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    QString error;
    EXPECT_FALSE(WriteDocumentFile(path, largeDocument(), &error));
    EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
    expectEarlierDocumentKept(folder, path);
    if (geteuid() != 0)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
