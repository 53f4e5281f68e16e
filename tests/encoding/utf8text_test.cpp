#include "encoding/utf8text.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <string>

using namespace sokuri;

namespace {

struct Utf8Case
{
    const char* name;
    std::string bytes;
};

class Utf8TextTest : public testing::TestWithParam<Utf8Case>
{};

// Every case gives exactly what QString::fromUtf8 gives, well-formed or not.
TEST_P(Utf8TextTest, SameAsQt)
{
    const std::string& bytes = GetParam().bytes;
    const QString expected = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    const QString got = Utf8Text(bytes);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.isNull(), expected.isNull());
}

const std::string Long = std::string(40, 'a') + "京都" + std::string(17, 'b') + "\xC3\xA9" +
                         std::string(16, 'c') + "\xF0\x9F\x98\x80" + std::string(15, 'd');

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8TextTest,
    testing::Values(
        Utf8Case{"Empty", ""}, Utf8Case{"Ascii", "plain text"},
        Utf8Case{"AsciiBlocks", std::string(50, 'x')}, Utf8Case{"Mixed", Long},
        Utf8Case{"Japanese", "京都市東山区の寺院"}, Utf8Case{"TwoBytes", "caf\xC3\xA9"},
        Utf8Case{"FourBytes", "\xF0\x9F\x98\x80!"}, Utf8Case{"Nonchar", "\xEF\xBF\xBE\xEF\xBF\xBF"},
        Utf8Case{"Bom", "\xEF\xBB\xBFtext"}, Utf8Case{"BomInside", "a\xEF\xBB\xBF"},
        Utf8Case{"LoneContinuation", "a\x80z"}, Utf8Case{"OverlongPair", "\xC0\xAF"},
        Utf8Case{"OverlongTriple", "\xE0\x80\xAF"}, Utf8Case{"Surrogate", "\xED\xA0\x80x"},
        Utf8Case{"BeyondUnicode", "\xF4\x90\x80\x80"}, Utf8Case{"NoLead", "\xF8\x88\x80\x80\x80"},
        Utf8Case{"CutShort", Long + "\xE4\xBA"}, Utf8Case{"CutPair", "\xC3"},
        Utf8Case{"BadSecond", "\xE4z\xAC" + std::string(20, 'q')},
        Utf8Case{"Nul", std::string("a\0b", 3)}),
    [](const testing::TestParamInfo<Utf8Case>& info) { return std::string(info.param.name); });

} // namespace
