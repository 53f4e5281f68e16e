#include "app/recentfiles.h"
#include "app/windowlayout.h"

#include "support/testfiles.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

TEST(RecentFiles, KeepsEightMostRecentFirstBesideTheOtherSettings)
{
    TempAppDir dir;
    const QString ini = dir.file(u"sokuri.ini"_s);
    const QByteArray settings = "[chasen]\r\ntype=1\r\n";
    writeFile(ini, settings);

    RecentFiles recent;
    for (int i = 1; i <= 10; ++i)
        recent.add(u"/docs/"_s + QString::number(i) + u".skr"_s);
    recent.add(u"/docs/5.skr"_s);
    // Names Shift_JIS cannot hold, blanks and quotes come back as they were.
    recent.add(u"/docs/\U00020BB7 \"q\".skr"_s);
    recent.add(u"/文書/京都 旅館.skr"_s);
    const QStringList expected = {u"/文書/京都 旅館.skr"_s, u"/docs/\U00020BB7 \"q\".skr"_s,
                                  u"/docs/5.skr"_s,         u"/docs/10.skr"_s,
                                  u"/docs/9.skr"_s,         u"/docs/8.skr"_s,
                                  u"/docs/7.skr"_s,         u"/docs/6.skr"_s};
    EXPECT_EQ(recent.paths(), expected);
    ASSERT_TRUE(recent.save(ini));
    EXPECT_TRUE(readFile(ini).startsWith(settings));

    RecentFiles again;
    again.load(ini);
    EXPECT_EQ(again.paths(), expected);
    EXPECT_TRUE(again.remove(u"/docs/5.skr"_s));
    EXPECT_FALSE(again.remove(u"/docs/5.skr"_s));
    ASSERT_TRUE(again.save(ini));
    RecentFiles shorter;
    shorter.load(ini);
    EXPECT_EQ(shorter.paths().size(), 7);
    EXPECT_FALSE(shorter.paths().contains(u"/docs/5.skr"_s));
}

TEST(RecentFiles, LeavesOutDamagedEntries)
{
    TempAppDir dir;
    const QString ini = dir.file(u"sokuri.ini"_s);
    writeFile(ini, "[recent]\r\nfile1=relative.skr\r\nfile2=/a.skr\r\nfile3=file:%zz\r\n"
                   "file4=/a.skr\r\nfile5=http://host/b.skr\r\nfile6=file:///c%20d.skr\r\n");
    RecentFiles recent;
    recent.load(ini);
    EXPECT_EQ(recent.paths(), QStringList({u"/a.skr"_s, u"/c d.skr"_s}));
}

TEST(WindowLayout, RoundTripsAndDamagedPartsReadAsAbsent)
{
    TempAppDir dir;
    const QString ini = dir.file(u"sokuri.ini"_s);
    const WindowLayout kept{QPoint(-20, 40), QSize(900, 700), true, {300, 120, 60, 280}};
    ASSERT_TRUE(SaveWindowLayout(ini, kept));
    EXPECT_EQ(LoadWindowLayout(ini, 4), kept);
    EXPECT_TRUE(LoadWindowLayout(ini, 3).columnWidths.isEmpty());

    struct Case
    {
        const char* lines;
        bool position, size, maximised, columns;
    };
    const Case cases[] = {
        {"left=10\r\ntop=20\r\nwidth=800\r\nheight=600\r\nmaximized=1\r\ncolumns=1,2,3,4\r\n", true,
         true, true, true},
        {"left=x\r\ntop=20\r\nwidth=800\r\nheight=\r\ncolumns=1,2,,4\r\n", false, false, false,
         false},
        {"left=10\r\ntop=9999999\r\nwidth=0\r\nheight=600\r\nmaximized=2\r\ncolumns=1,2,3,-4\r\n",
         false, false, false, false},
        {"", false, false, false, false},
    };
    for (const Case& c : cases) {
        writeFile(ini, QByteArray("[window]\r\n") + c.lines);
        const WindowLayout read = LoadWindowLayout(ini, 4);
        EXPECT_EQ(read.position.has_value(), c.position) << c.lines;
        EXPECT_EQ(read.size.has_value(), c.size) << c.lines;
        EXPECT_EQ(read.maximised, c.maximised) << c.lines;
        EXPECT_EQ(read.columnWidths.isEmpty(), !c.columns) << c.lines;
    }
}

TEST(WindowLayout, FitOnScreensBringsALostWindowBack)
{
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    struct Case
    {
        QRect window, expected;
    };
    const Case cases[] = {
        {{100, 100, 800, 600}, {100, 100, 800, 600}},    // on the first screen
        {{2000, 50, 800, 600}, {2000, 50, 800, 600}},    // on the second
        {{5000, 3000, 800, 600}, {1120, 480, 800, 600}}, // off every screen
        {{-790, 100, 800, 600}, {0, 100, 800, 600}},     // only a sliver showing
        {{100, -300, 800, 600}, {100, 0, 800, 600}},     // title bar above the screens
        {{-9000, 0, 4000, 3000}, {0, 0, 1920, 1080}},    // larger than the screen
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitOnScreens(c.window, screens), c.expected)
            << c.window.x() << ',' << c.window.y();
    EXPECT_EQ(FitOnScreens({5000, 0, 10, 10}, {}), QRect(5000, 0, 10, 10));
}
