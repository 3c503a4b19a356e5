#include "phrases/CorpusMeasures.h"
#include "phrases/ReferenceMeasures.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <string>
#include <vector>

using namespace orvanta;

namespace {

constexpr double kTolerance = 1e-12;

CorpusSize corpusOf(const std::vector<std::uint64_t> &wordsByFile)
{
    return {wordsByFile.size(),
            std::accumulate(wordsByFile.begin(), wordsByFile.end(), std::uint64_t(0)), 0,
            wordsByFile};
}

std::vector<FileCount> countsOf(const std::map<std::uint32_t, std::uint32_t> &counts)
{
    std::vector<FileCount> sparse;
    for (const auto &[file, frequency] : counts)
        sparse.push_back({file, frequency});
    return sparse;
}

} // namespace

// Rounding for display

TEST(CorpusMeasures, FourDecimalsRoundHalvesAwayFromZeroAndNeverShowMinusZero)
{
    const struct {
        double value;
        const char *shown;
    } cases[] = {
        {0.0, "0.0000"},
        {-0.0, "0.0000"},
        {-0.00004, "0.0000"},
        {0.00005, "0.0001"},
        {-0.00005, "-0.0001"},
        {1.23456, "1.2346"},
        {0.03125, "0.0313"},
        {0.99999, "1.0000"},
        {-13.862943611, "-13.8629"},
        {12345.5, "12345.5000"},
        {428571.428571, "428571.4286"},
        {7.0, "7.0000"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fourDecimals(c.value), c.shown) << c.value;
}

// Per million words

TEST(CorpusMeasures, PerMillionScalesTheFrequencyByTheCorpus)
{
    const struct {
        std::uint64_t frequency;
        std::uint64_t words;
        const char *shown;
    } cases[] = {
        {2, 1000000, "2.0000"},
        {3, 7, "428571.4286"},
        {10, 2500000, "4.0000"},
        {5, 123456789, "0.0405"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(perMillion(c.frequency, c.words),
                  referencePerMillion(double(c.frequency), double(c.words)));
        EXPECT_EQ(fourDecimals(perMillion(c.frequency, c.words)), c.shown);
    }
    EXPECT_EQ(perMillion(4, 0), 0.0);
}

// Deviation of proportions

TEST(CorpusMeasures, DeviationOfProportionsFollowsItsDefinition)
{
    const struct {
        const char *name;
        std::vector<std::uint64_t> wordsByFile;
        std::map<std::uint32_t, std::uint32_t> counts;
        const char *shown;
    } cases[] = {
        {"spread exactly like the text", {100, 300}, {{0, 1}, {1, 3}}, "0.0000"},
        {"all in one small file", {10, 990}, {{0, 4}}, "0.9900"},
        {"all in the one big file", {10, 990}, {{1, 4}}, "0.0100"},
        {"one file", {50}, {{0, 7}}, "0.0000"},
        {"in every file, files unlike", {100, 100, 200}, {{0, 1}, {1, 1}, {2, 1}}, "0.1667"},
        {"a file without words", {0, 40, 60}, {{1, 2}, {2, 3}}, "0.0000"},
        {"packed into one of many equal files", {25, 25, 25, 25}, {{2, 9}}, "0.7500"},
        {"exactly 0.03125, a half away from zero", {1, 1}, {{0, 17}, {1, 15}}, "0.0313"},
        {"uneven", {3, 7, 11, 13}, {{0, 2}, {3, 5}}, ""},
    };
    for (const auto &c : cases) {
        const double dp = deviationOfProportions(countsOf(c.counts), corpusOf(c.wordsByFile));
        EXPECT_NEAR(dp, referenceDeviation(c.counts, c.wordsByFile), kTolerance) << c.name;
        if (*c.shown) {
            EXPECT_EQ(fourDecimals(dp), c.shown) << c.name;
        }
    }
}

TEST(CorpusMeasures, DeviationOfNoOccurrencesOrAnEmptyCorpusIsZero)
{
    EXPECT_EQ(deviationOfProportions({}, corpusOf({5, 5})), 0.0);
    EXPECT_EQ(deviationOfProportions({}, corpusOf({})), 0.0);
}

// Keyness

TEST(CorpusMeasures, KeynessFollowsItsDefinitionWithItsSignAndZeroCounts)
{
    const struct {
        const char *name;
        std::uint64_t a, b, na, nb;
        const char *logLikelihood;
        const char *logRatio;
    } cases[] = {
        {"only in the target", 10, 0, 1000, 1000, "13.8629", "4.3219"},
        {"only in the reference", 0, 10, 1000, 1000, "-13.8629", "-4.3219"},
        {"equal counts, equal sizes", 5, 5, 1000, 1000, "0.0000", "0.0000"},
        {"equal rates, unequal sizes", 20, 40, 1000, 2000, "0.0000", "0.0000"},
        {"in neither", 0, 0, 1000, 4000, "0.0000", "2.0000"},
        {"over-used in a small target", 3, 1, 100, 10000, "", ""},
        {"under-used in a big target", 7, 30, 90000, 20000, "", ""},
        {"one each", 1, 1, 3, 5, "", ""},
    };
    for (const auto &c : cases) {
        const Keyness got = keynessOf(c.a, c.b, c.na, c.nb);
        const Keyness want = referenceKeyness(double(c.a), double(c.b), double(c.na), double(c.nb));
        EXPECT_NEAR(got.logLikelihood, want.logLikelihood, kTolerance) << c.name;
        EXPECT_NEAR(got.logRatio, want.logRatio, kTolerance) << c.name;
        if (*c.logLikelihood) {
            EXPECT_EQ(fourDecimals(got.logLikelihood), c.logLikelihood) << c.name;
            EXPECT_EQ(fourDecimals(got.logRatio), c.logRatio) << c.name;
        }
        EXPECT_EQ(got.logLikelihood < 0, c.a * c.nb < c.b * c.na) << c.name;
    }
}

// Against the plain reference on random counts: files without words, phrases in one file or in
// every file, counts of 0 in either set.
TEST(CorpusMeasures, RandomCountsAgreeWithThePlainReference)
{
    QRandomGenerator random(2030);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::uint64_t> wordsByFile(size_t(random.bounded(1, 40)));
        std::map<std::uint32_t, std::uint32_t> counts;
        for (std::uint32_t file = 0; file < wordsByFile.size(); ++file) {
            wordsByFile[file] = random.bounded(4) == 0 ? 0 : random.bounded(1, 100000);
            if (wordsByFile[file] > 0 && random.bounded(3) == 0)
                counts[file] = std::uint32_t(random.bounded(1, 500));
        }
        if (counts.empty() || !std::any_of(wordsByFile.begin(), wordsByFile.end(),
                                           [](std::uint64_t words) { return words > 0; }))
            continue;
        EXPECT_NEAR(deviationOfProportions(countsOf(counts), corpusOf(wordsByFile)),
                    referenceDeviation(counts, wordsByFile), kTolerance)
            << "round " << round;

        const std::uint64_t a = random.bounded(3) == 0 ? 0 : random.bounded(1, 1000);
        const std::uint64_t b = random.bounded(3) == 0 ? 0 : random.bounded(1, 1000);
        const std::uint64_t na = a + random.bounded(1, 10000000);
        const std::uint64_t nb = b + random.bounded(1, 10000000);
        const Keyness got = keynessOf(a, b, na, nb);
        const Keyness want = referenceKeyness(double(a), double(b), double(na), double(nb));
        EXPECT_NEAR(got.logLikelihood, want.logLikelihood, kTolerance * (1 + a + b));
        EXPECT_NEAR(got.logRatio, want.logRatio, kTolerance) << "round " << round;
    }
}
