// JSON results titled by templates and cut to a readable length, and feed
// entries read from the elements a plugin names.

#include "retrieval/feedentry.h"
#include "retrieval/jsonentries.h"
#include "searchplugins/pluginslot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

JsonResultKeys dietKeys()
{
    JsonResultKeys keys;
    keys.enabled = true;
    keys.results = u"speechRecord"_s;
    keys.title = u"{nameOfMeeting} {date} {speaker}"_s;
    keys.url = u"speechURL"_s;
    keys.content = u"speech"_s;
    return keys;
}

QByteArray speeches(const QList<QJsonObject>& records)
{
    QJsonArray array;
    for (const QJsonObject& record : records)
        array.append(record);
    return QJsonDocument(QJsonObject{{u"numberOfRecords"_s, 2}, {u"speechRecord"_s, array}})
        .toJson(QJsonDocument::Compact);
}

} // namespace

TEST(JsonTemplates, AMegabyteSpeechIsCutUnderItsTemplatedTitle)
{
    const QString speech = u"○議長　"_s + u"京都の寺院について申し上げます。"_s.repeated(70000);
    ASSERT_GT(speech.toUtf8().size(), 1024 * 1024);
    const QByteArray body = speeches({{{u"nameOfMeeting"_s, u"本会議"_s},
                                       {u"date"_s, u"2023-01-25"_s},
                                       {u"speaker"_s, u"議長"_s},
                                       {u"speech"_s, speech},
                                       {u"speechURL"_s, u"https://kokkai.ndl.go.jp/txt/1/1"_s}},
                                      // No speaker: the title keeps the parts that are there.
                                      {{u"nameOfMeeting"_s, u"予算委員会"_s},
                                       {u"date"_s, u"2023-02-01"_s},
                                       {u"speech"_s, u"短い &amp; <b>発言</b>"_s},
                                       {u"speechURL"_s, u"https://kokkai.ndl.go.jp/txt/2/3"_s}}});
    QList<FeedEntry> entries;
    QString reason;
    ASSERT_TRUE(ReadJsonEntries(body, u"utf-8", dietKeys(), u"https://kokkai.ndl.go.jp/", entries,
                                reason, 400))
        << reason.toStdString();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].title, u"本会議 2023-01-25 議長");
    EXPECT_EQ(entries[0].text.size(), 401);
    EXPECT_TRUE(entries[0].text.startsWith(u"○議長 京都の寺院"));
    EXPECT_TRUE(entries[0].text.endsWith(u'…'));
    EXPECT_EQ(entries[1].title, u"予算委員会 2023-02-01");
    EXPECT_EQ(entries[1].text, u"短い & 発言");
    EXPECT_EQ(entries[1].address, u"https://kokkai.ndl.go.jp/txt/2/3");
}

TEST(JsonTemplates, AnUnreadableTemplateGivesNoTitles)
{
    JsonResultKeys keys = dietKeys();
    keys.title = u"{nameOfMeeting"_s;
    QList<FeedEntry> entries;
    QString reason;
    EXPECT_TRUE(ReadJsonEntries(speeches({{{u"nameOfMeeting"_s, u"本会議"_s}}}), u"utf-8", keys,
                                u"https://kokkai.ndl.go.jp/", entries, reason));
    EXPECT_TRUE(entries.isEmpty());
}

TEST(FeedElements, AReferenceAnswerReadsByItsOwnElements)
{
    const QString entry =
        u"<reference><question>京都の寺で紅葉の名所は？</question><reg-id>1</reg-id>"
        u"<answer>&lt;資料1&gt;に紹介があります。\n続きの説明があります。</answer>"
        u"<system><lib-name>府立図書館</lib-name></system>"
        u"<url>https://crd.ndl.go.jp/reference/detail?page=ref_view&amp;id=100</url></reference>"_s;
    FeedElementNames names;
    names.title = u"question"_s;
    names.text = u"answer"_s;
    names.link = u"url"_s;
    names.textMaxLength = 10;
    const FeedEntry feed = ReadFeedEntry(entry, u"https://crd.ndl.go.jp/", names);
    EXPECT_EQ(feed.title, u"京都の寺で紅葉の名所は？");
    EXPECT_EQ(feed.address, u"https://crd.ndl.go.jp/reference/detail?page=ref_view&id=100");
    EXPECT_EQ(feed.text, u"<資料1>に紹介があ…");

    // Without names, the usual elements: none here.
    const FeedEntry plain = ReadFeedEntry(entry, u"https://crd.ndl.go.jp/");
    EXPECT_TRUE(plain.title.isEmpty());
}
