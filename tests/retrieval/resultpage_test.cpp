#include "retrieval/keywordmarks.h"
#include "retrieval/resultpage.h"

#include "support/testfiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::readFile;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

namespace {

// Holds the files this process may write to a few bytes while it lives, the
// way a full disk would: writes past the limit fail with EFBIG instead of
// ending the process. Permission bits cannot stop root; this can.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// Whether a file can be made in the folder (permission bits bind everyone
// but root).
bool canCreateIn(const QString& folder)
{
    QFile probe(folder + u"/probe");
    const bool created = probe.open(QIODevice::WriteOnly);
    if (created)
        probe.remove();
    return created;
}

} // namespace

TEST(ResultPage, HoldsTheEntryAsShiftJisBytes)
{
    TempAppDir dir;
    QString error;
    ASSERT_TRUE(WriteResultPage(dir.path(), u"<b>京都の旅館</b>\r\n"_s, &error))
        << error.toStdString();
    EXPECT_EQ(readFile(dir.file(u"sokuri_view.html"_s)),
              QByteArray("<b>\x8b\x9e\x93\x73\x82\xcc\x97\xb7\x8a\xd9</b>\r\n"));
    EXPECT_TRUE(error.isEmpty());
}

TEST(ResultPage, CharactersShiftJisLacksBecomeReferences)
{
    TempAppDir dir;
    ASSERT_TRUE(WriteResultPage(dir.path(), u"𠮷野家"_s));
    EXPECT_EQ(readFile(ResultPagePath(dir.path())), QByteArray("&#x20BB7;\x96\xec\x89\xc6"));
}

TEST(ResultPage, TheLaterEntryReplacesTheEarlierWhole)
{
    TempAppDir dir;
    ASSERT_TRUE(WriteResultPage(dir.path(), u"<p>a much longer first entry</p>"_s));
    ASSERT_TRUE(WriteResultPage(dir.path(), u"<p>二</p>"_s));
    EXPECT_EQ(readFile(ResultPagePath(dir.path())), QByteArray("<p>\x93\xf1</p>"));
    // Nothing is left beside the page.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"sokuri_view.html"_s});
}

TEST(ResultPage, AFailedWriteLeavesTheEarlierPageWhole)
{
    TempAppDir dir;
    const QString tmp = dir.file(u"tmp"_s);
    ASSERT_TRUE(QDir().mkpath(tmp));
    ASSERT_TRUE(WriteResultPage(tmp, u"<p>first</p>"_s));
    const QString second = u"<p>"_s + QString(200, u'x') + u"</p>"_s;

    QString error;
    bool written = false;
    QFile::setPermissions(tmp, QFile::ReadOwner | QFile::ExeOwner);
    if (canCreateIn(tmp)) {
        // Running as root: fail the write itself instead.
        QFile::setPermissions(tmp, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        FileSizeLimit limit(64);
        written = WriteResultPage(tmp, second, &error);
    } else {
        written = WriteResultPage(tmp, second, &error);
        QFile::setPermissions(tmp, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.contains(u"sokuri_view.html")) << error.toStdString();
    EXPECT_EQ(readFile(ResultPagePath(tmp)), QByteArray("<p>first</p>"));
    EXPECT_EQ(QDir(tmp).entryList(QDir::Files | QDir::Hidden), QStringList{u"sokuri_view.html"_s});
}

TEST(ResultPage, ATmpPathThatIsAFileFails)
{
    TempAppDir dir;
    const QString notAFolder = dir.file(u"tmp"_s);
    writeFile(notAFolder, "a file, not a folder");
    QString error;
    EXPECT_FALSE(WriteResultPage(notAFolder, u"<p>x</p>"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(notAFolder), QByteArray("a file, not a folder"));
}

TEST(KeywordMarks, MarkTheKeywordsInTheTextOnly)
{
    const QString m = QString::fromUtf16(KeywordMarkStart);
    const QString e = u"</span>"_s;
    const struct
    {
        QString html;
        QStringList keywords;
        QString marked;
    } cases[] = {
        {u"<b>Kyoto</b> KYOTO kyoto"_s,
         {u"kyoto"_s},
         u"<b>"_s + m + u"Kyoto"_s + e + u"</b> "_s + m + u"KYOTO"_s + e + u" "_s + m + u"kyoto"_s +
             e},
        {u"ＫＹＯＴＯ ｶﾞｲﾄﾞ"_s,
         {u"Kyoto"_s, u"ガイド"_s},
         m + u"ＫＹＯＴＯ"_s + e + u" "_s + m + u"ｶﾞｲﾄﾞ"_s + e},
        {u"<a href=\"/京都\" title=\"京都\">京都の宿</a>"_s,
         {u"京都"_s},
         u"<a href=\"/京都\" title=\"京都\">"_s + m + u"京都"_s + e + u"の宿</a>"_s},
        {u"京都府立大学"_s, {u"京都府"_s, u"府立大"_s}, m + u"京都府立大"_s + e + u"学"_s},
        {u"<b>bold</b> a b &amp; amp"_s,
         {u"b"_s, u"amp"_s},
         u"<b>"_s + m + u"b"_s + e + u"old</b> a "_s + m + u"b"_s + e + u" &amp; "_s + m +
             u"amp"_s + e},
        {u"ガイド"_s, {u"カ"_s}, u"ガイド"_s},
        {u"<script>var 京都;</script>京都"_s,
         {u"京都"_s},
         u"<script>var 京都;</script>"_s + m + u"京都"_s + e},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MarkKeywords(c.html, c.keywords), c.marked) << c.html.toStdString();
}
