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

const QStringList Titles = {u"こころ & 夏目漱石"_s, u"吾輩は猫である"_s};

// The answers of three feed services, one entry a title, written over
// several lines as such services do.
QByteArray rss2()
{
    return u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           u"<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n<channel>\n"
           u"<title>検索結果</title>\n<link>https://ndl.example/</link>\n"
           u"<item>\n<title>こころ &amp; 夏目漱石</title>\n<link>https://ndl.example/b/1</link>\n"
           u"<dc:creator>夏目漱石</dc:creator>\n</item>\n"
           u"<item>\n<title>吾輩は猫である</title>\n<link>https://ndl.example/b/2</link>\n</item>\n"
           u"</channel>\n</rss>\n"_s.toUtf8();
}

QByteArray rss1()
{
    return u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           u"<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
           u"xmlns=\"http://purl.org/rss/1.0/\">\n<channel rdf:about=\"https://r.example/\">\n"
           u"<title>検索結果</title>\n<link>https://r.example/</link>\n"
           u"<items><rdf:Seq><rdf:li rdf:resource=\"https://r.example/1\"/>"
           u"<rdf:li rdf:resource=\"https://r.example/2\"/></rdf:Seq></items>\n</channel>\n"
           u"<item rdf:about=\"https://r.example/1\">\n<title>こころ &amp; 夏目漱石</title>\n"
           u"<link>https://r.example/1</link>\n</item>\n"
           u"<item rdf:about=\"https://r.example/2\">\n<title>吾輩は猫である</title>\n"
           u"<link>https://r.example/2</link>\n</item>\n</rdf:RDF>\n"_s.toUtf8();
}

QByteArray atom()
{
    return u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           u"<feed xmlns=\"http://www.w3.org/2005/Atom\">\n<title>query results</title>\n"
           u"<entry>\n<id>https://a.example/abs/1</id>\n<title>こころ &amp; 夏目漱石</title>\n"
           u"<link href=\"https://a.example/abs/1\" rel=\"alternate\" type=\"text/html\"/>\n"
           u"</entry>\n<entry>\n<id>https://a.example/abs/2</id>\n<title>吾輩は猫である</title>\n"
           u"<link href=\"https://a.example/abs/2\" rel=\"alternate\"/>\n</entry>\n</feed>\n"_s
               .toUtf8();
}

QByteArray descriptionOf(const QString& name, const QString& type, const QString& urlTemplate)
{
    return (u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            u"<OpenSearchDescription xmlns=\"http://a9.com/-/spec/opensearch/1.1/\">\n"
            u"<ShortName>"_s +
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
    } services[] = {
        {u"国立国会図書館サーチ"_s, u"application/rss+xml"_s, u"/api/opensearch"_s,
         u"/api/opensearch?any={searchTerms}&cnt={count?}&idx={startIndex?}"_s, rss2(),
         "GET /api/opensearch?any=%E5%A4%8F%E7%9B%AE+%E6%BC%B1%E7%9F%B3 HTTP/1.0"},
        {u"RSS1"_s, u"application/rss+xml"_s, u"/rss1"_s, u"/rss1?q={searchTerms}"_s, rss1(),
         "GET /rss1?q=%E5%A4%8F%E7%9B%AE+%E6%BC%B1%E7%9F%B3 HTTP/1.0"},
        {u"Preprints"_s, u"application/atom+xml"_s, u"/api/query"_s,
         u"/api/query?search_query={searchTerms}&start={startIndex}&max_results={count}"_s, atom(),
         "GET /api/query?search_query=%E5%A4%8F%E7%9B%AE+%E6%BC%B1%E7%9F%B3&start=1&max_results=20 "
         "HTTP/1.0"},
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
        EXPECT_EQ(search(service.name, u"夏目 漱石"_s), Titles);
        ASSERT_EQ(engine.requests().size(), before + 1);
        EXPECT_TRUE(engine.requests().last().startsWith(QByteArray(service.request + "\r\n")))
            << engine.requests().last().toStdString();
    }
}
