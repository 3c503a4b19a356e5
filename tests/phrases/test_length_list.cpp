#include "QtPrinters.h"
#include "phrases/LengthList.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

using namespace orvanta;

namespace {

ChosenLengths ticked(std::initializer_list<int> lengths)
{
    ChosenLengths boxes{};
    for (int length : lengths)
        boxes[size_t(length - 2)] = true;
    return boxes;
}

struct LengthCase {
    const char *name;
    ChosenLengths boxes;
    const char *typed;
    std::vector<int> expected;
};

class BuildLengthListTest : public ::testing::TestWithParam<LengthCase> {};

} // namespace

TEST_P(BuildLengthListTest, GivesTheExpectedList)
{
    const LengthCase &c = GetParam();
    EXPECT_EQ(buildLengthList(c.boxes, QString::fromUtf8(c.typed)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildLengthListTest,
    ::testing::Values(
        LengthCase{
            "TickedBoxesComeFirstThenTypedKeepingRepeats", ticked({5}), "2, 5, 6", {5, 2, 5, 6}},
        LengthCase{"BoxesInIndexOrder", ticked({19, 2, 10}), "", {2, 10, 19}},
        LengthCase{"SpacesSplitWhenThereIsNoComma", {}, "2 5 6", {2, 5, 6}},
        LengthCase{"EmptyEntriesAreSkipped", {}, "2,,6", {2, 6}},
        LengthCase{"NonNumbersAreSkipped", {}, "2, x, 6", {2, 6}},
        LengthCase{"CommaSplitWinsOverSpaces", {}, "2, 5 6", {2}},
        LengthCase{"HalvesRoundToEven", {}, "3.5, 2.5", {4, 2}},
        LengthCase{"SignsAndFractionsAreNumbers", {}, "+7, -3, .5, 8.", {7, -3, 0, 8}},
        LengthCase{"ASingleNumberIsALength", {}, "7", {7}},
        LengthCase{
            "RangesAsTheCommandLineTakesThem", ticked({2}), "2-4, 7, 9-9", {2, 2, 3, 4, 7, 9}},
        LengthCase{"RangesBackwardsFromZeroOrPastTheLongestAreSkipped",
                   {},
                   "5-2, 0-1, 3-32768, +2-3, 7",
                   {7}},
        LengthCase{"ASingleNonNumberGivesNothing", {}, "seven", {}},
        LengthCase{"NumbersOutsideSixteenBitsAreSkipped",
                   {},
                   "32767, 32768, -32768, -32769, 99999999999",
                   {32767, -32768}},
        LengthCase{"NothingChosenGivesAnEmptyList", {}, "", {}},
        LengthCase{"TabsAreNotSeparatorsOrSpaces", {}, "3\t4", {}},
        LengthCase{"ALineBreakAfterANumberMakesItANonNumber", {}, "4\n, 5", {5}},
        LengthCase{"OnlyAsciiDigitsAreNumbers", {}, "\xd9\xa3, \xef\xbc\x97, 6", {6}}),
    [](const ::testing::TestParamInfo<LengthCase> &info) { return std::string(info.param.name); });

// What "More:" names as unread: every entry that gives no length of at least 1.
TEST(UnreadLengthEntries, AreTheEntriesThatGiveNoLength)
{
    EXPECT_EQ(unreadLengthEntries(QStringLiteral("2-3, abc, 0, -3, 4.5, , 32768, 5-2, 1-")),
              (QStringList{"abc", "0", "-3", "32768", "5-2", "1-"}));
    EXPECT_EQ(unreadLengthEntries(QStringLiteral(" 4 5-6 ")), QStringList());
    EXPECT_EQ(unreadLengthEntries(QString()), QStringList());
}

TEST(DistinctCountableLengths, DropsRepeatsAndLengthsBelowOneKeepingFirstSeenOrder)
{
    EXPECT_EQ(distinctCountableLengths({5, 2, 5, 6}), (std::vector<int>{5, 2, 6}));
    EXPECT_EQ(distinctCountableLengths({0, -3, 1, 0}), (std::vector<int>{1}));
    EXPECT_TRUE(distinctCountableLengths({}).empty());
}

// The command line's lengths

TEST(LengthRanges, NumbersAndRangesSeparatedByCommasOrBlanks)
{
    EXPECT_EQ(*parseLengthRanges(QStringLiteral("2-5")), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(*parseLengthRanges(QStringLiteral("2-5,8")), (std::vector<int>{2, 3, 4, 5, 8}));
    EXPECT_EQ(*parseLengthRanges(QStringLiteral("2, 5 6")), (std::vector<int>{2, 5, 6}));
    EXPECT_EQ(*parseLengthRanges(QStringLiteral("4,4,3-4")), (std::vector<int>{4, 3}));
    EXPECT_EQ(*parseLengthRanges(QStringLiteral("7-7")), (std::vector<int>{7}));
}

TEST(LengthRanges, AnythingElseIsRefusedNamingTheEntry)
{
    for (const char *text : {"2 to 4", "x", "0", "-3", "5-2", "2.5", "2-", "4,,x"}) {
        const Result<std::vector<int>> lengths = parseLengthRanges(QLatin1String(text));
        ASSERT_FALSE(lengths.ok()) << text;
        EXPECT_TRUE(lengths.error().contains(QStringLiteral("is not a phrase length")))
            << lengths.error().toStdString();
    }
    EXPECT_TRUE(
        parseLengthRanges(QStringLiteral("2 to 4")).error().startsWith(QStringLiteral("\"to\"")));
    EXPECT_FALSE(parseLengthRanges(QStringLiteral(" , ")).ok());
    for (const char *text : {"1-32768", "32768", "99999999999", "99999999999-2"})
        EXPECT_EQ(parseLengthRanges(QLatin1String(text)).error(),
                  QStringLiteral("\"%1\" is longer than the longest phrase length, 32767")
                      .arg(QLatin1String(text)));
}
