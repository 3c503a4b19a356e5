#include "QtPrinters.h"
#include "base/LowerCase.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvanta;

namespace {

struct LowerCaseCase {
    const char *name;
    const char *text;
    const char *lower;
};

class LowerCaseTest : public ::testing::TestWithParam<LowerCaseCase> {};

} // namespace

// Both forms give Unicode's lower case; ASCII changes only A to Z.
TEST_P(LowerCaseTest, GivesUnicodesLowerCase)
{
    const LowerCaseCase &c = GetParam();
    EXPECT_EQ(lowerCase(QByteArrayView(c.text)), QByteArray(c.lower));
    std::string reused = "longer text left from an earlier word";
    lowerCase(QByteArrayView(c.text), reused);
    EXPECT_EQ(reused, std::string(c.lower));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LowerCaseTest,
    ::testing::Values(LowerCaseCase{"Empty", "", ""},
                      LowerCaseCase{"Ascii", "The END, @[`{ 0-9 Z", "the end, @[`{ 0-9 z"},
                      LowerCaseCase{"Latin",
                                    "GROSSE Stra\xc3\x9f"
                                    "e \xc3\x84RGER",
                                    "grosse stra\xc3\x9f"
                                    "e \xc3\xa4rger"},
                      LowerCaseCase{"Greek", "\xce\xa3\xce\x9f\xce\xa6\xce\x99\xce\x91",
                                    "\xcf\x83\xce\xbf\xcf\x86\xce\xb9\xce\xb1"},
                      // Dotted capital I lowers to i and a combining dot: one byte more.
                      LowerCaseCase{"LongerThanTheInput", "\xc4\xb0stanbul", "i\xcc\x87stanbul"},
                      LowerCaseCase{"InvalidBytes",
                                    "A\xff"
                                    "B",
                                    "a\xef\xbf\xbd"
                                    "b"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(IsAscii, AByteAboveAsciiAnywhereMakesTextNotAscii)
{
    for (int size = 1; size <= 20; ++size) {
        const QByteArray plain(size, 'a');
        EXPECT_TRUE(isAscii(plain)) << size;
        for (int at = 0; at < size; ++at) {
            QByteArray text = plain;
            text[at] = char(0x80);
            EXPECT_FALSE(isAscii(text)) << size << " at " << at;
        }
    }
    EXPECT_TRUE(isAscii(QByteArrayView()));
}
