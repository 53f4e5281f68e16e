#include "documents/documentformat.h"
#include "documents/documentstate.h"

#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <random>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::bytes;
using sokuri::test::readFile;
using sokuri::test::TempAppDir;
using sokuri::test::writeFile;

namespace {

// The example document: input abc in keyword mode, alpha checked, beta not,
// no rows.
QByteArray exampleDocument()
{
    return bytes({0x05, 0x00, 0x00, 0x00}) + "0.9.3" + bytes({0x03, 0x00}) + "abc" +
           bytes({0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0x05, 0x00}) + "alpha" +
           bytes({0xFF, 0xFF, 0x04, 0x00}) + "beta" + bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
}

CatalogueEntry entry(const QString& name, bool checked = false)
{
    return {name, u"http://"_s + name + u"/"_s, u"1.0"_s, checked};
}

QStringList marks(const PluginCatalogue& catalogue)
{
    QStringList list;
    for (const CatalogueEntry& e : catalogue.entries())
        list.append(e.text + (e.checked ? u"*"_s : u""_s));
    return list;
}

ResultRow row(const QString& title, const QString& relevance, const QString& html = {})
{
    return {title, u"alpha"_s, relevance, u"jp.co.example"_s, html};
}

// A document that uses every field, with Japanese texts.
Document fullDocument()
{
    Document document;
    document.text = u"京都の旅館"_s;
    document.mode = 1;
    document.plugins = {{u"alpha"_s, true}, {u"ベータ"_s, false}};
    document.rows = {row(u"京都 旅館"_s, u"100"_s, u"<a href=\"http://a/\">京都</a>"_s),
                     row(u"嵐山"_s, u" 50"_s, u"<b>嵐山</b>"_s)};
    return document;
}

QByteArray encoded(const Document& document)
{
    QByteArray out;
    EXPECT_TRUE(EncodeDocument(document, out));
    return out;
}

} // namespace

TEST(DocumentFormat, WritesTheExampleDocumentByteForByte)
{
    TempAppDir dir;
    PluginCatalogue catalogue;
    catalogue.setEntries({entry(u"beta"_s), entry(u"alpha"_s, true)});
    ResultsModel results;
    const QString path = dir.file(u"example.skr"_s);
    ASSERT_TRUE(SaveDocument(path, {u"abc"_s, InputMode::Keywords}, catalogue, results));
    EXPECT_EQ(readFile(path), exampleDocument());
}

TEST(DocumentFormat, ReadingTheExampleSetsMarksByNameAndLeavesOthers)
{
    TempAppDir dir;
    const QString path = dir.file(u"example.skr"_s);
    writeFile(path, exampleDocument());
    PluginCatalogue catalogue;
    catalogue.setEntries({entry(u"alpha"_s), entry(u"beta"_s, true), entry(u"gamma"_s, true)});
    ResultsModel results;
    results.addRow(row(u"old"_s, u"100"_s));

    Document document;
    ASSERT_TRUE(ReadDocumentFile(path, document));
    EXPECT_EQ(document.version, u"0.9.3");
    const InputState input = ApplyDocument(document, catalogue, results);
    EXPECT_EQ(input, (InputState{u"abc"_s, InputMode::Keywords}));
    EXPECT_EQ(marks(catalogue), (QStringList{u"alpha*"_s, u"beta"_s, u"gamma*"_s}));
    EXPECT_EQ(results.rowCount(), 0);
    EXPECT_TRUE(UpdateExecButton(input.mode, input.text, catalogue));
}

TEST(DocumentFormat, PluginsThatAreNotInstalledAreIgnored)
{
    Document document;
    document.plugins = {{u"delta"_s, true}, {u"alpha"_s, true}};
    PluginCatalogue catalogue;
    catalogue.setEntries({entry(u"alpha"_s), entry(u"beta"_s)});
    ResultsModel results;
    ApplyDocument(document, catalogue, results);
    EXPECT_EQ(marks(catalogue), (QStringList{u"alpha*"_s, u"beta"_s}));
}

TEST(DocumentFormat, ModesOtherThanOneAndTwoSelectNeitherButton)
{
    EXPECT_EQ(InputModeFromStored(0), InputMode::None);
    EXPECT_EQ(InputModeFromStored(1), InputMode::Sentence);
    EXPECT_EQ(InputModeFromStored(2), InputMode::Keywords);
    EXPECT_EQ(InputModeFromStored(3), InputMode::None);
    EXPECT_EQ(InputModeFromStored(-1), InputMode::None);

    // The stored number itself survives reading, for the command line.
    Document document;
    document.mode = 7;
    Document read;
    ASSERT_TRUE(DecodeDocument(encoded(document), read));
    EXPECT_EQ(read.mode, 7);
}

TEST(DocumentFormat, TextsAreStoredWithTheirShiftJisByteCount)
{
    Document document;
    document.text = u"あいう"_s;
    const QByteArray out = encoded(document);
    // After the 4 + 5 bytes of the version: 06 00 and the six bytes.
    EXPECT_EQ(out.mid(9, 8), bytes({0x06, 0x00, 0x82, 0xA0, 0x82, 0xA2, 0x82, 0xA4}));
    Document read;
    ASSERT_TRUE(DecodeDocument(out, read));
    EXPECT_EQ(read.text, u"あいう");
}

TEST(DocumentFormat, CharactersShiftJisCannotHoldSurviveInEntryHtmlOnly)
{
    Document document;
    document.rows = {{u"𠮷野家"_s, u"alpha"_s, u"100"_s, u"jp"_s, u"<b>𠮷野家</b>"_s}};
    Document read;
    ASSERT_TRUE(DecodeDocument(encoded(document), read));
    ASSERT_EQ(read.rows.size(), 1);
    EXPECT_EQ(read.rows[0].html, u"<b>&#x20BB7;野家</b>");
    EXPECT_EQ(read.rows[0].title, u"?野家");
}

TEST(DocumentFormat, OverlongTextsAreCutAtACharacterBoundary)
{
    // 40,000 double-byte characters are 80,000 bytes; 32,767 of them (65,534
    // bytes) fit, a 32,768th would not.
    Document document;
    document.text = QString(40000, u'あ');
    // One byte of ASCII before them makes the fit exactly 65,535 bytes.
    document.plugins = {{u"a"_s + QString(40000, u'あ'), true}};
    // A reference is not cut in two: 65,530 bytes and a nine-byte reference
    // leave the reference out.
    document.rows = {row(u"t"_s, u"100"_s, QString(65530, u'a') + u"𠮷"_s)};

    const QByteArray out = encoded(document);
    EXPECT_EQ(out.mid(9, 2), bytes({0xFE, 0xFF}));
    Document read;
    ASSERT_TRUE(DecodeDocument(out, read));
    EXPECT_EQ(read.text, QString(32767, u'あ'));
    ASSERT_EQ(read.plugins.size(), 1);
    EXPECT_EQ(read.plugins[0].name, u"a"_s + QString(32767, u'あ'));
    ASSERT_EQ(read.rows.size(), 1);
    EXPECT_EQ(read.rows[0].html, QString(65530, u'a'));
}

TEST(DocumentFormat, AThousandJapaneseRowsComeBackInTheirOrder)
{
    TempAppDir dir;
    PluginCatalogue catalogue;
    catalogue.setEntries({entry(u"検索"_s, true), entry(u"alpha"_s)});
    ResultsModel results;
    QList<ResultRow> rows;
    for (int i = 0; i < 1000; ++i) {
        rows.append({u"京都の旅館 第%1位"_s.arg(i), i % 2 ? u"検索"_s : u"alpha"_s,
                     u"%1"_s.arg(100 - i % 100, 3), u"jp.co.宿%1"_s.arg(i % 7),
                     u"<a href=\"http://宿.jp/%1\">京都の旅館</a>"_s.arg(i)});
    }
    results.addRows(rows);
    const QList<ResultRow> shown = results.rows();
    const QString path = dir.file(u"many.skr"_s);
    ASSERT_TRUE(SaveDocument(path, {u"京都 旅館"_s, InputMode::Sentence}, catalogue, results));

    Document read;
    ASSERT_TRUE(ReadDocumentFile(path, read));
    EXPECT_EQ(read.rows, shown);
    PluginCatalogue other;
    other.setEntries({entry(u"検索"_s), entry(u"alpha"_s, true)});
    ResultsModel restored;
    const InputState input = ApplyDocument(read, other, restored);
    EXPECT_EQ(input, (InputState{u"京都 旅館"_s, InputMode::Sentence}));
    EXPECT_EQ(restored.rows(), shown);
    EXPECT_EQ(marks(other), (QStringList{u"alpha"_s, u"検索*"_s}));
}

TEST(DocumentFormat, CountsAreReadAsSixteenBitsWithTwoBytesSkipped)
{
    // A count whose upper two bytes are not zero: only the lower two count.
    QByteArray document = exampleDocument();
    document[18] = char(0x01); // the upper half of the plugin count
    Document read;
    ASSERT_TRUE(DecodeDocument(document, read));
    EXPECT_EQ(read.plugins, (QList<PluginMark>{{u"alpha"_s, true}, {u"beta"_s, false}}));
}

TEST(DocumentFormat, BytesAfterTheLastRowAreIgnored)
{
    // Earlier programs wrote a document over a longer file without cutting
    // it, so such files exist.
    Document read;
    ASSERT_TRUE(DecodeDocument(QByteArray(exampleDocument() + "left over from before"), read));
    EXPECT_EQ(read.text, u"abc");
}

TEST(DocumentFormat, EveryTruncationIsRefusedAndChangesNothing)
{
    const QByteArray whole = encoded(fullDocument());
    Document sentinel;
    sentinel.text = u"unchanged"_s;
    for (qsizetype length = 0; length < whole.size(); ++length) {
        Document document = sentinel;
        QString error;
        EXPECT_FALSE(DecodeDocument(whole.first(length), document, &error)) << length;
        EXPECT_EQ(document, sentinel) << length;
        EXPECT_FALSE(error.isEmpty()) << length;
    }
    Document document;
    EXPECT_TRUE(DecodeDocument(whole, document));
    EXPECT_EQ(document, fullDocument());
}

TEST(DocumentFormat, RandomBytesAreRefused)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        QByteArray noise(qsizetype(random() % 4096), Qt::Uninitialized);
        for (char& b : noise)
            b = char(random() & 0xFF);
        Document document;
        EXPECT_FALSE(DecodeDocument(noise, document)) << round;
        EXPECT_EQ(document, Document{}) << round;
    }
}

TEST(DocumentFormat, ForeignAndImpossibleFilesAreRefused)
{
    const QList<QByteArray> refused = {
        // An HTML page: its first four bytes make no sensible length.
        "<html><body>not a document</body></html>",
        // A version with control characters.
        bytes({0x02, 0x00, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
               0x00, 0x00, 0x00, 0x00}),
        // A negative plugin count.
        bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}),
        // 32,767 plugins announced, none there.
        bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x00,
               0x00, 0x00}),
        // A text longer than the rest of the file.
        bytes({0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x41}),
    };
    for (const QByteArray& file : refused) {
        Document document;
        QString error;
        EXPECT_FALSE(DecodeDocument(file, document, &error)) << file.toHex().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    // The smallest document: empty version, text and lists.
    Document document;
    EXPECT_TRUE(DecodeDocument(QByteArray(16, '\0'), document));
}

TEST(DocumentFormat, FileErrorsNameTheFile)
{
    TempAppDir dir;
    Document document;
    QString error;

    const QString missing = dir.file(u"missing.skr"_s);
    EXPECT_FALSE(ReadDocumentFile(missing, document, &error));
    EXPECT_TRUE(error.startsWith(missing)) << error.toStdString();

    const QString broken = dir.file(u"broken.skr"_s);
    writeFile(broken, exampleDocument().first(20));
    EXPECT_FALSE(ReadDocumentFile(broken, document, &error));
    EXPECT_TRUE(error.startsWith(broken)) << error.toStdString();

    EXPECT_FALSE(ReadDocumentFile(dir.path(), document, &error));
    EXPECT_TRUE(error.startsWith(dir.path())) << error.toStdString();
    EXPECT_EQ(document, Document{});

    const QString nowhere = dir.file(u"no/such/folder/a.skr"_s);
    EXPECT_FALSE(WriteDocumentFile(nowhere, fullDocument(), &error));
    EXPECT_TRUE(error.startsWith(nowhere)) << error.toStdString();
}

TEST(DocumentFormat, MoreRowsThanAReaderAcceptsAreNotWritten)
{
    TempAppDir dir;
    const QString path = dir.file(u"big.skr"_s);
    writeFile(path, exampleDocument());
    Document document;
    document.rows.fill(row(u"t"_s, u"100"_s), MaxDocumentRecords + 1);
    QString error;
    EXPECT_FALSE(WriteDocumentFile(path, document, &error));
    EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
    EXPECT_EQ(readFile(path), exampleDocument());

    document.rows.removeLast();
    ASSERT_TRUE(WriteDocumentFile(path, document, &error)) << error.toStdString();
    Document read;
    ASSERT_TRUE(ReadDocumentFile(path, read));
    EXPECT_EQ(read.rows.size(), MaxDocumentRecords);
}
