#include "documents/documentcommands.h"

#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::FakeFileDialogs;
using sokuri::test::readFile;
using sokuri::test::RecordingMessages;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

namespace {

class DocumentCommandsTest : public ::testing::Test
{
protected:
    DocumentCommandsTest()
    {
        catalogue.setEntries({{u"alpha"_s, u"http://a/"_s, u"1.0"_s, true},
                              {u"beta"_s, u"http://b/"_s, u"1.0"_s, false}});
        results.addRow({u"京都"_s, u"alpha"_s, u"100"_s, u"jp.kyoto"_s, u"<b>京都</b>"_s});
    }

    QStringList marks() const
    {
        QStringList list;
        for (const CatalogueEntry& e : catalogue.entries())
            list.append(e.text + (e.checked ? u"*"_s : u""_s));
        return list;
    }

    TempAppDir dir;
    AppPaths paths = ResolveAppPaths(dir.path());
    PluginCatalogue catalogue;
    ResultsModel results;
    FakeFileDialogs dialogs;
    RecordingMessages messages;
    DocumentCommands commands{paths, catalogue, results, dialogs, messages};
    QSignalSpy titles{&commands, &DocumentCommands::titleChanged};
    QSignalSpy cleared{&commands, &DocumentCommands::viewerCleared};
    const InputState input{u"京都 旅館"_s, InputMode::Keywords};
};

} // namespace

TEST_F(DocumentCommandsTest, AFreshDocumentIsUntitled)
{
    EXPECT_EQ(commands.docFileName(), u"無題");
    EXPECT_EQ(commands.windowTitle(), u"無題 - Sokuri");
}

TEST_F(DocumentCommandsTest, SaveOnAFreshDocumentAsksForANameAndCancellingWritesNothing)
{
    EXPECT_FALSE(commands.save(input));
    EXPECT_EQ(dialogs.shown, QStringList{u"save"_s});
    ASSERT_EQ(dialogs.requests.size(), 1);
    const FileDialogRequest& request = dialogs.requests.first();
    EXPECT_EQ(request.folder, dir.path());
    EXPECT_EQ(request.fileName, u"無題");
    EXPECT_EQ(request.defaultSuffix, u"skr");
    EXPECT_EQ(request.filters, (QStringList{u"Sokuri ﾌｧｲﾙ(*.skr)"_s, u"すべてのﾌｧｲﾙ (*.*)"_s}));
    EXPECT_EQ(commands.windowTitle(), u"無題 - Sokuri");
    EXPECT_EQ(titles.count(), 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(DocumentCommandsTest, SaveAsNamesTheDocumentAndTheSameNameAgainWritesNothing)
{
    const QString path = dir.file(u"無題.skr"_s);
    dialogs.answers = {path, path};
    ASSERT_TRUE(commands.saveAs(input));
    EXPECT_EQ(commands.docFileName(), path);
    EXPECT_EQ(commands.windowTitle(), path + u" - Sokuri");
    ASSERT_EQ(titles.count(), 1);
    EXPECT_EQ(titles.first().first().toString(), path + u" - Sokuri");

    // The second Save As proposes the current name; choosing it writes
    // nothing, Save does.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_FALSE(commands.saveAs(input));
    EXPECT_EQ(dialogs.requests.last().fileName, path);
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(commands.save(input));
    EXPECT_EQ(dialogs.shown.size(), 2); // Save asked nothing
    Document read;
    ASSERT_TRUE(ReadDocumentFile(path, read));
    EXPECT_EQ(read.text, input.text);
    EXPECT_EQ(read.mode, 2);
    EXPECT_EQ(read.plugins, (QList<PluginMark>{{u"alpha"_s, true}, {u"beta"_s, false}}));
    EXPECT_EQ(read.rows, results.rows());
}

TEST_F(DocumentCommandsTest, OpenRestoresTheDocumentAndOpeningItAgainDoesNothing)
{
    const QString path = dir.file(u"saved.skr"_s);
    Document document;
    document.text = u"嵐山"_s;
    document.mode = 1;
    document.plugins = {{u"alpha"_s, false}, {u"beta"_s, true}};
    document.rows = {{u"嵐山"_s, u"beta"_s, u"100"_s, u"jp.arashiyama"_s, u"<i>嵐山</i>"_s},
                     {u"渡月橋"_s, u"beta"_s, u" 40"_s, u"jp.togetsu"_s, u"<i>橋</i>"_s}};
    ASSERT_TRUE(WriteDocumentFile(path, document));

    dialogs.answers = {path, path};
    InputState shown = input;
    ASSERT_TRUE(commands.open(shown));
    EXPECT_EQ(shown, (InputState{u"嵐山"_s, InputMode::Sentence}));
    EXPECT_EQ(marks(), (QStringList{u"alpha"_s, u"beta*"_s}));
    EXPECT_EQ(results.rows(), document.rows);
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_EQ(commands.windowTitle(), path + u" - Sokuri");
    EXPECT_EQ(dialogs.requests.first().folder, dir.path());
    EXPECT_EQ(dialogs.requests.first().fileName, u"無題");

    // The window changes; opening the same document again reads nothing.
    catalogue.uncheckAll();
    results.clear();
    shown = {u"changed"_s, InputMode::None};
    EXPECT_FALSE(commands.open(shown));
    EXPECT_EQ(shown, (InputState{u"changed"_s, InputMode::None}));
    EXPECT_EQ(results.rowCount(), 0);
    EXPECT_EQ(dialogs.requests.last().fileName, path);
}

TEST_F(DocumentCommandsTest, CancellingOpenChangesNothing)
{
    InputState shown = input;
    EXPECT_FALSE(commands.open(shown));
    EXPECT_EQ(dialogs.shown, QStringList{u"open"_s});
    EXPECT_EQ(shown, input);
    EXPECT_EQ(results.rowCount(), 1);
    EXPECT_EQ(cleared.count(), 0);
    EXPECT_EQ(commands.docFileName(), u"無題");
}

TEST_F(DocumentCommandsTest, ABadDocumentGivesAMessageNamingItAndChangesNothing)
{
    const QString path = dir.file(u"broken.skr"_s);
    Document document;
    document.text = u"壊れた"_s;
    document.plugins = {{u"alpha"_s, false}, {u"beta"_s, true}};
    QByteArray bytes;
    ASSERT_TRUE(EncodeDocument(document, bytes));
    writeFile(path, bytes.first(bytes.size() - 3));

    dialogs.answers = {path};
    InputState shown = input;
    EXPECT_FALSE(commands.open(shown));
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_TRUE(messages.criticals.first().text.contains(path));
    EXPECT_EQ(shown, input);
    EXPECT_EQ(marks(), (QStringList{u"alpha*"_s, u"beta"_s}));
    EXPECT_EQ(results.rowCount(), 1);
    EXPECT_EQ(cleared.count(), 0);
    EXPECT_EQ(commands.docFileName(), u"無題");
    EXPECT_EQ(titles.count(), 0);
}

TEST_F(DocumentCommandsTest, AFailedSaveGivesAMessageAndKeepsTheName)
{
    const QString good = dir.file(u"good.skr"_s);
    const QString nowhere = dir.file(u"no/such/folder/a.skr"_s);
    dialogs.answers = {good, nowhere};
    ASSERT_TRUE(commands.saveAs(input));
    EXPECT_FALSE(commands.saveAs(input));
    ASSERT_EQ(messages.criticals.size(), 1);
    EXPECT_TRUE(messages.criticals.first().text.contains(nowhere));
    EXPECT_EQ(commands.docFileName(), good);

    // Save to a file that has become unwritable: a message, nothing else.
    ASSERT_TRUE(QFile::remove(good));
    ASSERT_TRUE(QDir().mkpath(good)); // a folder where the file was
    EXPECT_FALSE(commands.save(input));
    EXPECT_EQ(messages.criticals.size(), 2);
    EXPECT_EQ(commands.docFileName(), good);
}

TEST_F(DocumentCommandsTest, NewEmptiesEverythingButTheCatalogue)
{
    const QString path = dir.file(u"a.skr"_s);
    dialogs.answers = {path};
    ASSERT_TRUE(commands.saveAs(input));

    const InputState emptied = commands.newDocument();
    EXPECT_EQ(emptied, (InputState{u""_s, InputMode::None}));
    EXPECT_EQ(marks(), (QStringList{u"alpha"_s, u"beta"_s}));
    EXPECT_EQ(results.rowCount(), 0);
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_EQ(commands.windowTitle(), u"無題 - Sokuri");
    EXPECT_EQ(titles.last().first().toString(), u"無題 - Sokuri");
    EXPECT_FALSE(UpdateExecButton(emptied.mode, emptied.text, catalogue));
    EXPECT_TRUE(QFile::exists(path)); // New does not touch the file
}
