#include "common/splitfields.h"

#include <array>

#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

TEST(SplitFields, CountIsSeparatorsPlusOne)
{
    EXPECT_EQ(SplitFields(u"", u" "), QStringList({u""_s}));
    EXPECT_EQ(SplitFields(u"a b", u" "), QStringList({u"a"_s, u"b"_s}));
    EXPECT_EQ(SplitFields(u"a  b", u" "), QStringList({u"a"_s, u""_s, u"b"_s}));
    EXPECT_EQ(SplitFields(u"a.b.", u"."), QStringList({u"a"_s, u"b"_s, u""_s}));
    EXPECT_EQ(SplitFields(u" a ", u" "), QStringList({u""_s, u"a"_s, u""_s}));
}

TEST(SplitFields, FieldsAreTrimmedOfSpacesOnly)
{
    EXPECT_EQ(SplitFields(u" aa . bb .\tcc\t", u"."), QStringList({u"aa"_s, u"bb"_s, u"\tcc\t"_s}));
    // The ideographic space is text, not a blank.
    EXPECT_EQ(SplitFields(u"京都　旅館", u" "), QStringList({u"京都　旅館"_s}));
}

TEST(SplitFields, FixedArrayKeepsEntriesBeyondTheCountAndIgnoresExcess)
{
    std::array<QString, 3> fields{u"old0"_s, u"old1"_s, u"old2"_s};
    EXPECT_EQ(SplitFields(u"x y", u" ", fields), 2);
    EXPECT_EQ(fields[0], u"x");
    EXPECT_EQ(fields[1], u"y");
    EXPECT_EQ(fields[2], u"old2");

    EXPECT_EQ(SplitFields(u"a b c d e", u" ", fields), 3);
    EXPECT_EQ(fields[2], u"c");
}
