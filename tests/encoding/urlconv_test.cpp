#include "encoding/urlconv.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

TEST(UrlEncode, QueryTextCases)
{
    EXPECT_EQ(UrlEncode(u"abc"), u"abc");
    EXPECT_EQ(UrlEncode(u"a b"), u"a%20b");
    EXPECT_EQ(UrlEncode(u"a&b=c"), u"a%26b%3Dc");
    EXPECT_EQ(UrlEncode(u"x+y", 43), u"x+y");
    EXPECT_EQ(UrlEncode(u"x+y"), u"x%2By");
    EXPECT_EQ(UrlEncode(u"あ"), u"%82%A0");
    EXPECT_EQ(UrlEncode(u"京都"), u"%8B%9E%93s");
    EXPECT_EQ(UrlEncode(u"\t\n"), u"%09%0A");
    EXPECT_EQ(UrlEncode(u""), u"");
    EXPECT_EQ(UrlEncode(u"50%"), u"50%");
}

TEST(UrlEncode, EveryAsciiByteByTheRule)
{
    // Controls, the space, DEL and thirteen marks are encoded; all else passes.
    const QString encoded = u"$&=+\"\\';/#?:"_s;
    for (int b = 0; b < 128; ++b) {
        const QChar c{char16_t(b)};
        const bool encode = b <= 32 || b == 127 || encoded.contains(c);
        const QString expected =
            encode ? u"%"_s + QString::number(b, 16).toUpper().rightJustified(2, u'0') : QString(c);
        EXPECT_EQ(UrlEncode(QString(c)), expected) << b;
    }
}

TEST(UrlEncode, BytesOfAnotherCharset)
{
    EXPECT_EQ(UrlEncodeBytes(QByteArray("\xE4\xBA\xAC a+b")), u"%E4%BA%AC%20a%2Bb");
    EXPECT_EQ(UrlEncodeBytes(QByteArray("a+b"), 43), u"a+b");
    // A character Shift_JIS cannot hold is sent as "?", encoded.
    EXPECT_EQ(UrlEncode(u"\U00020BB7"), u"%3F");
}
