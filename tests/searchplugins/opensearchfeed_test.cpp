#include "app/searchrun.h"
#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"
#include "searchplugins/plugininstaller.h"
#include "support/fakeplatform.h"
#include "support/testfiles.h"
#include "testengine/testengine.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace sokuri::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int HangGuardMs = 120000;

// The answers of two feed services: the pages the shipped engines' tests use.
QByteArray feed(const char* page)
{
    return readFile(QStringLiteral(SOKURI_TEST_DATA_DIR "/engines/") + QLatin1StringView(page));
}

QByteArray descriptionOf(const QString& name, const QString& type, const QString& urlTemplate)
{
    return (u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            u"<OpenSearchDescription>\n<ShortName>"_s +
            name +
            u"</ShortName>\n<InputEncoding>UTF-8</InputEncoding>\n<Url type=\"text/html\" "
            u"template=\"https://www.example/?q={searchTerms}\"/>\n<Url type=\""_s +
            type + u"\" template=\""_s + urlTemplate.toHtmlEscaped() +
            u"\"/>\n</OpenSearchDescription>\n"_s)
        .toUtf8();
}

EnginePage served(const QByteArray& contentType, const QByteArray& body)
{
    EnginePage page;
    page.header = "HTTP/1.0 200 OK\r\nContent-Type: " + contentType + "\r\n\r\n";
    page.body = body;
    return page;
}

class FeedSearch : public ::testing::Test
{
protected:
    FeedSearch() { EXPECT_TRUE(engine.listen()) << engine.errorString().toStdString(); }

    QString address(const QString& path) const
    {
        return u"http://127.0.0.1:%1%2"_s.arg(engine.port()).arg(path);
    }

    // One search with the plugin of that name alone; the titles of the rows.
    QStringList search(const QString& plugin, const QString& text)
    {
        catalogue.load(paths);
        catalogue.setCheckedByName(plugin, true);
        SearchRun run(paths, catalogue, results, messages);
        QSignalSpy finished(&run, &SearchRun::finished);
        run.start(InputMode::Keywords, text);
        if (finished.isEmpty()) {
            EXPECT_TRUE(finished.wait(HangGuardMs));
        }
        catalogue.uncheckAll();
        QStringList titles;
        for (const ResultRow& row : results.rows())
            titles.append(row.title);
        return titles;
    }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    TestEngine engine;
    PluginCatalogue catalogue;
    ResultsModel results;
    RecordingMessages messages;
};

} // namespace

TEST_F(FeedSearch, ImportedDescriptionsSearchTheEnginesFeedAndGiveItsTitles)
{
    const struct
    {
        QString name;
        QString type;
        QString path;
        QString urlTemplate; // after the engine's address
        QByteArray feed;
        QByteArray request;
        QStringList titles;
    } services[] = {
        {u"国立国会図書館サーチ"_s,
         u"application/rss+xml"_s,
         u"/api/opensearch"_s,
         u"/api/opensearch?any={searchTerms}&cnt={count?}&idx={startIndex?}"_s,
         feed("ndlsearch.xml"),
         "GET /api/opensearch?any=%E4%BA%AC%E9%83%BD+%E5%AF%BA HTTP/1.0",
         {u"京都の寺社と庭園"_s, u"寺院建築 & 仏像 : 京都・奈良"_s}},
        {u"Preprints"_s,
         u"application/atom+xml"_s,
         u"/api/query"_s,
         u"/api/query?search_query={searchTerms}&start={startIndex}&max_results={count}"_s,
         feed("arxiv.xml"),
         "GET /api/query?search_query=%E4%BA%AC%E9%83%BD+%E5%AF%BA&start=1&max_results=20 "
         "HTTP/1.0",
         {u"Temple Records of Kyoto (京都): A Corpus of Pre-modern Japanese Documents"_s,
          u"Seismic Response of Wooden Pagodas & Temple Halls in Kyoto"_s}},
    };
    for (const auto& service : services) {
        SCOPED_TRACE(service.name.toStdString());
        engine.setPage(u"/os.xml"_s, served("application/opensearchdescription+xml",
                                            descriptionOf(service.name, service.type,
                                                          address(service.urlTemplate))));
        engine.setPage(service.path, served(service.type.toLatin1(), service.feed));

        PluginInstaller installer(paths, &catalogue);
        QSignalSpy finished(&installer, &PluginInstaller::finished);
        ASSERT_TRUE(installer.importOpenSearch(address(u"/os.xml"_s)));
        ASSERT_TRUE(finished.wait(HangGuardMs));
        const auto result = finished.first().first().value<PluginInstallResult>();
        ASSERT_TRUE(result.installed) << result.errorText.toStdString();
        EXPECT_EQ(result.name, service.name);

        const qsizetype before = engine.requests().size();
        EXPECT_EQ(search(service.name, u"京都 寺"_s), service.titles);
        ASSERT_EQ(engine.requests().size(), before + 1);
        EXPECT_TRUE(engine.requests().last().startsWith(QByteArray(service.request + "\r\n")))
            << engine.requests().last().toStdString();
    }
}
