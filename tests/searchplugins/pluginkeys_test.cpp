// JSON title templates, the readable length of texts, and the user's own
// keys as a plugin declares them, up to the request that BuildRequest makes.

#include "common/userkeys.h"
#include "searchplugins/buildrequest.h"
#include "searchplugins/jsontemplate.h"
#include "searchplugins/pluginkey.h"
#include "searchplugins/readablelength.h"

#include "support/testfiles.h"

#include <QFile>
#include <QHash>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;
using sokuri::test::TempAppDir;
using sokuri::test::writeSjisFile;

namespace {

struct TemplateCase
{
    const char* id;
    QString value;
    QString expanded; // with a = "A", b = "B", n/0 = "N0"; "x" and "c" missing
    QString error;    // a part of the error, empty when the value reads
};

void PrintTo(const TemplateCase& c, std::ostream* out)
{
    *out << c.id;
}

class Templates : public ::testing::TestWithParam<TemplateCase>
{};

} // namespace

TEST_P(Templates, ReadAndJoinPaths)
{
    const TemplateCase& c = GetParam();
    JsonTemplate parsed;
    QString error;
    const bool read = parsed.parse(c.value, error);
    if (!c.error.isEmpty()) {
        EXPECT_FALSE(read);
        EXPECT_TRUE(error.contains(c.error)) << error.toStdString();
        EXPECT_TRUE(parsed.isEmpty());
        return;
    }
    ASSERT_TRUE(read) << error.toStdString();
    const QHash<QString, QString> values{{u"a"_s, u"A"_s}, {u"b"_s, u"B"_s}, {u"n/0"_s, u"N0"_s}};
    EXPECT_EQ(parsed.expand([&](QStringView path) { return values.value(path.toString()); }),
              c.expanded);
}

INSTANTIATE_TEST_SUITE_P(
    JsonTemplates, Templates,
    ::testing::Values(
        TemplateCase{"PlainPathReadsAsBefore", u"  n/0  "_s, u"N0"_s, {}},
        TemplateCase{"PlainMissingPath", u"x"_s, {}, {}}, TemplateCase{"EmptyValue", {}, {}, {}},
        TemplateCase{"ThreeParts", u"{a} {n/0} {b}"_s, u"A N0 B"_s, {}},
        TemplateCase{"MissingMiddleTakesItsSeparator", u"{a} / {x} / {b}"_s, u"A / B"_s, {}},
        TemplateCase{"MissingFirstTakesTheOpening", u"【{x}】{b}"_s, u"B"_s, {}},
        TemplateCase{"MissingLastTakesTheClosing", u"{a}（{x}）"_s, u"A"_s, {}},
        TemplateCase{"FixedTextAround", u"第{a}号"_s, u"第A号"_s, {}},
        TemplateCase{"NothingFoundIsEmpty", u"第{x}号 {c}"_s, {}, {}},
        TemplateCase{"DoubledBracesAreText", u"{{{a}}}"_s, u"{A}"_s, {}},
        TemplateCase{"BlanksInsideAPart", u"{ a }"_s, u"A"_s, {}},
        TemplateCase{"Unclosed", u"{a} {b"_s, {}, u"閉じていません"_s},
        TemplateCase{"NotOpened", u"a}"_s, {}, u"対応する"_s},
        TemplateCase{"Nested", u"{a{b}}"_s, {}, u"の中に"_s},
        TemplateCase{"EmptyPart", u"{a} {}"_s, {}, u"空の"_s},
        TemplateCase{"EmptyStep", u"{a//b}"_s, {}, u"パスではありません"_s},
        TemplateCase{"LeadingSlash", u"{/a}"_s, {}, u"パスではありません"_s},
        TemplateCase{
            "TooManyParts", u"{a}"_s.repeated(JsonTemplate::MaxParts + 1), {}, u"までです"_s}),
    [](const auto& info) { return std::string(info.param.id); });

TEST(ReadableLength, CutsWithASignAndNeverSplitsACharacter)
{
    EXPECT_EQ(CutToReadableLength(u"短い"_s, 5), u"短い");
    EXPECT_EQ(CutToReadableLength(u"あいうえおか"_s, 5), u"あいうえお…");
    EXPECT_EQ(CutToReadableLength(u"abc  def"_s, 5), u"abc…");
    // U+20BB7 is two UTF-16 units: the cut falls before it, not inside it.
    EXPECT_EQ(CutToReadableLength(u"ab\U00020BB7c"_s, 3), u"ab…");
    const QString speech = u"発言"_s.repeated(512 * 1024); // 1 MiB of UTF-16
    const QString cut = CutToReadableLength(speech, 400);
    EXPECT_EQ(cut.size(), 401);
    EXPECT_TRUE(cut.endsWith(u'…'));
}

TEST(ReadableLength, ReadsTheKey)
{
    qsizetype length = 0;
    QString error;
    EXPECT_TRUE(ParseContentMaxLength(u""_s, length, error));
    EXPECT_EQ(length, DefaultContentMaxLength);
    EXPECT_TRUE(ParseContentMaxLength(u" 200 "_s, length, error));
    EXPECT_EQ(length, 200);
    for (const QString& bad : {u"0"_s, u"-5"_s, u"12a"_s, u"1e3"_s, u"99999999999999999999"_s,
                               QString::number(MaxContentMaxLength + 1)}) {
        EXPECT_FALSE(ParseContentMaxLength(bad, length, error)) << bad.toStdString();
        EXPECT_TRUE(error.contains(u"ContentMaxLength")) << bad.toStdString();
    }
}

TEST(HeaderSafeKey, NothingCanEndTheLine)
{
    EXPECT_EQ(HeaderSafeKey(u"ghp_AbC123-._~"_s), u"ghp_AbC123-._~");
    EXPECT_EQ(HeaderSafeKey(u"a\r\nX-Evil: 1"_s), u"a%0D%0AX-Evil:%201");
    EXPECT_EQ(HeaderSafeKey(u"100%鍵"_s), u"100%25%E9%8D%B5");
}

namespace {

class Keys : public ::testing::Test
{
protected:
    void plugin(const QString& initLines, const QString& extraSearch = {})
    {
        writeSjisFile(paths.PluginPath + u"/alpha.ini",
                      u"[init]\r\nname=alpha\r\nurl=http://h/\r\n"_s + initLines +
                          u"[search]\r\naction=http://h/s\r\nmethod=GET\r\ncharset=utf-8\r\n"
                          u"inpcount=1\r\ninp01=<input type=\"text\" name=\"q\" user>\r\n"_s +
                          extraSearch + u"[result]\r\ncharset=utf-8\r\n"_s);
    }

    PluginSlot build(bool expectUsable = true)
    {
        PluginSlot slot;
        QString keywords = u"京都"_s;
        reason.clear();
        EXPECT_EQ(BuildRequest(paths, u"alpha"_s, keywords, slot, &reason), expectUsable)
            << reason.toStdString();
        return slot;
    }

    TempAppDir dir;
    AppPaths paths = InitAppState(dir.path()).paths;
    QString reason;
};

const QString FieldKey = u"userkey=appid\r\nuserkeyfield=appid\r\n"_s;
const QString HeaderKey =
    u"userkey=token\r\nuserkeyrequired=yes\r\nuserkeyheader=Authorization: Bearer {key}\r\n"_s;

} // namespace

TEST_F(Keys, AnOptionalKeyIsLeftOutUntilSetThenGoesInAField)
{
    plugin(FieldKey);
    EXPECT_EQ(build().Query, u"q=%E4%BA%AC%E9%83%BD");
    ASSERT_TRUE(SaveUserKey(paths, u"alpha"_s, u"my-app.1"_s));
    EXPECT_EQ(build().Query, u"q=%E4%BA%AC%E9%83%BD&appid=my-app.1");
    // The key lives in the user's file only: never in the plugin file.
    EXPECT_FALSE(sokuri::test::readFile(paths.PluginPath + u"/alpha.ini").contains("my-app"));
    EXPECT_EQ(QFile::permissions(UserKeysPath(paths)) & (QFile::ReadOther | QFile::ReadGroup),
              QFile::Permissions());
    ASSERT_TRUE(SaveUserKey(paths, u"alpha"_s, {}));
    EXPECT_EQ(build().Query, u"q=%E4%BA%AC%E9%83%BD");
}

TEST_F(Keys, ARequiredKeyThatIsMissingKeepsTheEngineUnasked)
{
    plugin(HeaderKey);
    build(false);
    EXPECT_EQ(reason, QString::fromUtf16(MissingKeyStatus));
    ASSERT_TRUE(SaveUserKey(paths, u"alpha"_s, u"ghp_123"_s));
    const PluginSlot slot = build();
    EXPECT_TRUE(slot.Headers.contains(u"Authorization: Bearer ghp_123"_s));
    EXPECT_EQ(slot.Query, u"q=%E4%BA%AC%E9%83%BD");
}

TEST_F(Keys, BadKeysGoInEncodedAndAddNoFieldOrLine)
{
    const QString bad = u"a&q=evil\r\nX-Evil: 1 鍵=+"_s;
    ASSERT_TRUE(SaveUserKey(paths, u"alpha"_s, bad));
    EXPECT_EQ(LoadUserKey(paths, u"alpha"_s), bad);

    plugin(FieldKey);
    const QString query = build().Query;
    EXPECT_EQ(query.count(u'&'), 1) << query.toStdString();
    EXPECT_EQ(query.count(u'='), 2) << query.toStdString();
    EXPECT_FALSE(query.contains(u'\r') || query.contains(u'\n') || query.contains(u' '));
    EXPECT_TRUE(query.endsWith(u"appid=a%26q%3Devil%0D%0AX-Evil%3A%201%20%E9%8D%B5%3D%2B"));

    plugin(HeaderKey);
    const PluginSlot slot = build();
    ASSERT_EQ(slot.Headers.size(), 1);
    EXPECT_EQ(slot.Headers.constFirst(),
              u"Authorization: Bearer a&q=evil%0D%0AX-Evil:%201%20%E9%8D%B5=+");
}

TEST_F(Keys, KeysOfOtherPluginsAndOddNamesStayApart)
{
    const QString odd = u"[x]=y;\r\nz"_s;
    ASSERT_TRUE(SaveUserKey(paths, odd, u"one"_s));
    ASSERT_TRUE(SaveUserKey(paths, u"alpha"_s, u"two"_s));
    EXPECT_EQ(LoadUserKey(paths, odd), u"one");
    EXPECT_EQ(LoadUserKey(paths, u"alpha"_s), u"two");
    EXPECT_EQ(LoadUserKey(paths, u"beta"_s), QString());
}

TEST_F(Keys, DeclarationsThatCannotBeUsedAreRefused)
{
    for (const QString& declaration :
         {u"userkey=k\r\n"_s, u"userkey=k\r\nuserkeyfield=a\r\nuserkeyheader=X: {key}\r\n"_s,
          u"userkey=k\r\nuserkeyfield=a&b\r\n"_s, u"userkey=k\r\nuserkeyheader=X: token\r\n"_s,
          u"userkey=k\r\nuserkeyheader={key}: x\r\n"_s}) {
        plugin(declaration);
        build(false);
        EXPECT_TRUE(reason.contains(u"userkey")) << declaration.toStdString();
    }
}

TEST_F(Keys, TemplatesAndLengthsThatCannotBeReadAreAPluginError)
{
    writeSjisFile(paths.PluginPath + u"/alpha.ini",
                  u"[init]\r\nname=alpha\r\nurl=http://h/\r\n[search]\r\naction=http://h/s\r\n"
                  u"method=GET\r\n[result]\r\ncharset=utf-8\r\nformat=json\r\n"
                  u"TitleQuery={a} {b\r\n"_s);
    build(false);
    EXPECT_TRUE(reason.startsWith(u"TitleQuery: ")) << reason.toStdString();
    writeSjisFile(paths.PluginPath + u"/alpha.ini",
                  u"[init]\r\nname=alpha\r\nurl=http://h/\r\n[search]\r\naction=http://h/s\r\n"
                  u"method=GET\r\n[result]\r\ncharset=utf-8\r\nformat=json\r\n"
                  u"TitleQuery=t\r\nContentMaxLength=lots\r\n"_s);
    build(false);
    EXPECT_TRUE(reason.contains(u"ContentMaxLength")) << reason.toStdString();
}

TEST_F(Keys, KeywordsInTheEnginesQueryLanguage)
{
    plugin({}, u"keywordformat=anywhere+all+%22{keywords}%22\r\n"_s);
    EXPECT_EQ(build().Query, u"q=anywhere+all+%22%E4%BA%AC%E9%83%BD%22");
    plugin({}, u"keywordformat=anywhere\r\n"_s);
    build(false);
    EXPECT_TRUE(reason.contains(u"keywordformat"));
}
