#include "searchplugins/plugincatalogue.h"

#include "searchplugins/pluginfolder.h"
#include "searchplugins/pluginsite.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;
using sokuri::test::writeSjisFile;

namespace {

class Catalogue : public ::testing::Test
{
protected:
    void plugin(const QString& file, const QString& name, const QString& url,
                const QString& version = u"1.0"_s)
    {
        writeSjisFile(paths.PluginPath + u'/' + file, u"[init]\r\nname="_s + name + u"\r\nurl="_s +
                                                          url + u"\r\nversion="_s + version +
                                                          u"\r\n"_s);
    }

    QStringList names() const
    {
        QStringList list;
        for (const CatalogueEntry& entry : catalogue.entries())
            list.append(entry.text + (entry.checked ? u"*"_s : u""_s));
        return list;
    }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    PluginCatalogue catalogue;
    QAbstractItemModelTester tester{&catalogue,
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
};

} // namespace

TEST_F(Catalogue, ListsFilesNamingAPluginWithNameAndUrl)
{
    plugin(u"alpha.ini"_s, u"alpha"_s, u"http://a/"_s);
    writeFile(paths.PluginPath + u"/memo.ini", "just a note\r\n");
    plugin(u"ALPHA.INI.bak"_s, u"upper"_s, u"http://u/"_s);
    plugin(u"beta.ini.old"_s, u"beta"_s, u"http://b/"_s);
    plugin(u"nourl.ini"_s, u"nourl"_s, u""_s);
    plugin(u"noname.ini"_s, u""_s, u"http://n/"_s);
    plugin(u"readme.txt"_s, u"text"_s, u"http://t/"_s);
    QDir().mkpath(paths.PluginPath + u"/folder.ini");

    catalogue.load(paths);
    EXPECT_EQ(names(), QStringList({u"alpha"_s, u"beta"_s}));
}

TEST_F(Catalogue, SortedByNameWithTooltipAndHomePage)
{
    plugin(u"z.ini"_s, u"zeta"_s, u"http://z/"_s, u"2.1"_s);
    plugin(u"a.ini"_s, u"Gamma"_s, u"http://g/"_s, u""_s);
    plugin(u"m.ini"_s, u"beta"_s, u"http://b/"_s);
    plugin(u"j.ini"_s, u"京都検索"_s, u"http://k/"_s);
    writeSjisFile(paths.PluginPath + u"/d.ini",
                  u"[init]\r\nname=delta\r\nurl=http://d/\r\nversion=1.0\r\n"
                  u"description=京都の寺を検索します。\r\n"_s);
    catalogue.load(paths);
    EXPECT_EQ(names(), QStringList({u"beta"_s, u"delta"_s, u"Gamma"_s, u"zeta"_s, u"京都検索"_s}));

    const QModelIndex gamma = catalogue.index(2);
    EXPECT_EQ(gamma.data(Qt::ToolTipRole).toString(), u"Version ");
    EXPECT_EQ(catalogue.index(3).data(Qt::ToolTipRole).toString(), u"Version 2.1");
    // A description follows the version on a line of its own.
    EXPECT_EQ(catalogue.index(1).data(Qt::ToolTipRole).toString(),
              u"Version 1.0\n京都の寺を検索します。");
    EXPECT_EQ(gamma.data(PluginCatalogue::UrlRole).toString(), u"http://g/");
    EXPECT_EQ(gamma.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    EXPECT_EQ(catalogue.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"サイト");
}

TEST_F(Catalogue, NamesThatWouldLeaveThePluginFolderAreNotListed)
{
    plugin(u"a.ini"_s, u"../../sokuri"_s, u"http://a/"_s);
    plugin(u"b.ini"_s, u"sub/x"_s, u"http://b/"_s);
    plugin(u"c.ini"_s, u"sub\\x"_s, u"http://c/"_s);
    plugin(u"d.ini"_s, u"bell\x07"_s, u"http://d/"_s);
    plugin(u"e.ini"_s, u"a..b"_s, u"http://e/"_s);
    plugin(u"f.ini"_s, u"fine.name"_s, u"http://f/"_s);
    catalogue.load(paths);
    EXPECT_EQ(names(), QStringList({u"fine.name"_s}));
    EXPECT_TRUE(IsSafePluginName(u"検索 β"));
}

TEST_F(Catalogue, RefreshKeepsMarksByName)
{
    plugin(u"alpha.ini"_s, u"alpha"_s, u"http://a/"_s);
    plugin(u"beta.ini"_s, u"beta"_s, u"http://b/"_s);
    catalogue.load(paths);
    catalogue.setChecked(0, true);
    EXPECT_EQ(names(), QStringList({u"alpha*"_s, u"beta"_s}));

    ASSERT_TRUE(QFile::remove(paths.PluginPath + u"/alpha.ini"));
    catalogue.refresh(paths);
    EXPECT_EQ(names(), QStringList({u"beta"_s}));

    plugin(u"alpha.ini"_s, u"alpha"_s, u"http://a/"_s);
    plugin(u"gamma.ini"_s, u"gamma"_s, u"http://c/"_s);
    catalogue.setChecked(0, true);
    catalogue.refresh(paths);
    EXPECT_EQ(names(), QStringList({u"alpha"_s, u"beta*"_s, u"gamma"_s}));
}

TEST_F(Catalogue, TwoFilesOfOneNameAreBothMarkedAfterARefresh)
{
    plugin(u"alpha.ini"_s, u"alpha"_s, u"http://a/"_s);
    plugin(u"alpha2.ini"_s, u"alpha"_s, u"http://a2/"_s);
    catalogue.load(paths);
    ASSERT_EQ(catalogue.count(), 2);
    catalogue.setChecked(1, true);
    catalogue.refresh(paths);
    EXPECT_EQ(names(), QStringList({u"alpha*"_s, u"alpha*"_s}));
}

TEST_F(Catalogue, CheckMarksThroughTheModelAndByName)
{
    plugin(u"alpha.ini"_s, u"alpha"_s, u"http://a/"_s);
    plugin(u"beta.ini"_s, u"beta"_s, u"http://b/"_s);
    catalogue.load(paths);
    QSignalSpy marks(&catalogue, &PluginCatalogue::checkMarksChanged);

    EXPECT_TRUE(catalogue.setData(catalogue.index(1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(names(), QStringList({u"alpha"_s, u"beta*"_s}));
    catalogue.setCheckedByName(u"alpha"_s, true);
    catalogue.setCheckedByName(u"ALPHA"_s, false); // names compare exactly
    EXPECT_EQ(catalogue.checkedNames(), QStringList({u"alpha"_s, u"beta"_s}));
    catalogue.uncheckAll();
    EXPECT_FALSE(catalogue.anyChecked());
    EXPECT_EQ(marks.count(), 4);
}

TEST_F(Catalogue, SearchButtonNeedsModeTextAndAMark)
{
    plugin(u"alpha.ini"_s, u"alpha"_s, u"http://a/"_s);
    catalogue.load(paths);
    EXPECT_FALSE(UpdateExecButton(InputMode::Keywords, u"京都"_s, catalogue));
    catalogue.setChecked(0, true);
    EXPECT_FALSE(UpdateExecButton(InputMode::None, u"京都"_s, catalogue));
    EXPECT_TRUE(UpdateExecButton(InputMode::Keywords, u"京都"_s, catalogue));
    EXPECT_TRUE(UpdateExecButton(InputMode::Sentence, u"京都"_s, catalogue));
    EXPECT_FALSE(UpdateExecButton(InputMode::Sentence, u""_s, catalogue));
}

TEST_F(Catalogue, HomePageOpensInTheBrowserAndAFailureIsShown)
{
    plugin(u"alpha.ini"_s, u"alpha"_s, u"http://a/"_s);
    catalogue.load(paths);
    test::FakeBrowser browser;
    test::RecordingMessages messages;

    OpenPluginSite(catalogue, -1, browser, messages, u"_top"_s);
    EXPECT_TRUE(browser.opened.isEmpty());

    OpenPluginSite(catalogue, 0, browser, messages, u"_blank"_s);
    EXPECT_EQ(browser.opened, QStringList({u"http://a/ _blank"_s}));
    EXPECT_TRUE(messages.criticals.isEmpty());

    browser.fail = true;
    OpenPluginSite(catalogue, 0, browser, messages, u"_top"_s);
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_EQ(messages.criticals[0].text, u"browser\rnot running");
    EXPECT_EQ(messages.criticals[0].title, u"Error 429");
}

TEST_F(Catalogue, KindsAreListedOnceAndTickedOrClearedTogether)
{
    const std::pair<QString, QString> plugins[] = {{u"arxiv"_s, u"論文"_s},
                                                   {u"bing"_s, u"ウェブ"_s},
                                                   {u"crossref"_s, u" 論文 "_s},
                                                   {u"demo"_s, u""_s},
                                                   {u"jstage"_s, u"論文"_s}};
    for (const auto& [name, kind] : plugins)
        writeSjisFile(paths.PluginPath + u'/' + name + u".ini"_s,
                      u"[init]\r\nname="_s + name + u"\r\nurl=http://"_s + name +
                          u"/\r\ncategory="_s + kind + u"\r\n"_s);
    catalogue.load(paths);
    EXPECT_EQ(catalogue.categories(), (QStringList{u"論文"_s, u"ウェブ"_s}));

    QSignalSpy marks(&catalogue, &PluginCatalogue::checkMarksChanged);
    catalogue.setCheckedByCategory(u"論文"_s, true);
    EXPECT_EQ(names(),
              (QStringList{u"arxiv*"_s, u"bing"_s, u"crossref*"_s, u"demo"_s, u"jstage*"_s}));
    EXPECT_EQ(marks.count(), 3);
    catalogue.setChecked(1, true);
    catalogue.setCheckedByCategory(u"論文"_s, false);
    EXPECT_EQ(names(),
              (QStringList{u"arxiv"_s, u"bing*"_s, u"crossref"_s, u"demo"_s, u"jstage"_s}));
    catalogue.setCheckedByCategory(u"書籍"_s, true); // no such kind: nothing changes
    EXPECT_EQ(catalogue.checkedNames(), QStringList{u"bing"_s});
}
