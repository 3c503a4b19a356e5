#include "results/ResultMeasures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace orvanta;

namespace {

// Three files of 100, 300 and 600 words.
CorpusSize corpus()
{
    return {3, 1000, 40, {100, 300, 600}};
}

struct Row {
    const char *phrase;
    std::vector<FileCount> counts;
};

// Rows with their frequency in each file; the files column is how many files hold the phrase.
std::shared_ptr<const PhraseResults> resultsOf(const std::vector<Row> &rows, bool byFile = true)
{
    auto results = std::make_shared<PhraseResults>();
    std::vector<std::uint32_t> files;
    for (const Row &row : rows)
        files.push_back(std::uint32_t(row.counts.size()));
    if (byFile) {
        std::span<FileCount> counts = results->appendFileCounts(files);
        for (const Row &row : rows)
            for (const FileCount &count : row.counts) {
                counts.front() = count;
                counts = counts.subspan(1);
            }
    }
    for (const Row &row : rows) {
        int frequency = 0;
        for (const FileCount &count : row.counts)
            frequency += int(count.frequency);
        results->append(row.phrase, 2, frequency, int(row.counts.size()));
    }
    return results;
}

// Deviation of proportions as defined: half the sum over every file of |v - s|.
double plainDispersion(const std::vector<FileCount> &counts, const CorpusSize &size)
{
    double frequency = 0;
    for (const FileCount &count : counts)
        frequency += count.frequency;
    double sum = 0;
    for (std::uint32_t file = 0; file < size.files; ++file) {
        double inFile = 0;
        for (const FileCount &count : counts)
            inFile += count.file == file ? count.frequency : 0;
        sum += std::fabs(inFile / frequency - double(size.wordsByFile[file]) / double(size.words));
    }
    return sum / 2;
}

const std::vector<Row> kRows = {
    {"spread like text", {{0, 1}, {1, 3}, {2, 6}}}, // 0: DP 0
    {"in one small file", {{0, 10}}},               // 1: DP 0.9
    {"in the big file", {{2, 10}}},                 // 2: DP 0.4
    {"two files", {{0, 1}, {2, 1}}},                // 3: DP 0.4
    {"also spread", {{0, 2}, {1, 6}, {2, 12}}},     // 4: DP 0, twice the frequency of 0
};

} // namespace

TEST(ResultMeasures, PerMillionAndDispersionOfEveryResultFollowTheirDefinitions)
{
    const ResultMeasures measures(resultsOf(kRows), corpus());
    ASSERT_TRUE(measures.hasDispersion());
    for (std::uint32_t id = 0; id < kRows.size(); ++id) {
        double frequency = 0;
        for (const FileCount &count : kRows[id].counts)
            frequency += count.frequency;
        EXPECT_DOUBLE_EQ(measures.perMillion(id), frequency * 1e6 / 1000) << id;
        EXPECT_NEAR(measures.dispersion(id), plainDispersion(kRows[id].counts, corpus()), 1e-12)
            << id;
    }
    EXPECT_EQ(fourDecimals(measures.dispersion(1)), "0.9000");
}

// Without per-file counts, or with counts of files the corpus does not know (results of a
// project whose texts are not read yet), there is no dispersion.
TEST(ResultMeasures, ResultsCountedWithoutFilesHaveNoDispersion)
{
    EXPECT_FALSE(ResultMeasures(resultsOf(kRows), CorpusSize{}).hasDispersion());
    const ResultMeasures measures(resultsOf(kRows, false), corpus());
    EXPECT_FALSE(measures.hasDispersion());
    EXPECT_DOUBLE_EQ(measures.perMillion(1), 10'000);
    EXPECT_EQ(filterByMeasures(std::vector<std::uint32_t>{0, 1, 2}, measures, {0, 0.1}),
              (std::vector<std::uint32_t>{0, 1, 2}));
}

TEST(ResultMeasures, SortingByAMeasureKeepsTiesInIndexOrderAndDescendingIsTheReverse)
{
    const ResultMeasures measures(resultsOf(kRows), corpus());
    const struct {
        MeasureKey key;
        Qt::SortOrder order;
        std::vector<std::uint32_t> sorted;
    } cases[] = {
        {MeasureKey::PerMillion, Qt::AscendingOrder, {3, 0, 1, 2, 4}},
        {MeasureKey::PerMillion, Qt::DescendingOrder, {4, 2, 1, 0, 3}},
        {MeasureKey::Dispersion, Qt::AscendingOrder, {0, 4, 2, 3, 1}}, // 2 and 3 tie at 0.4
        {MeasureKey::Dispersion, Qt::DescendingOrder, {1, 3, 2, 4, 0}},
    };
    for (const auto &c : cases) {
        std::vector<std::uint32_t> ids = {4, 3, 2, 1, 0};
        sortByMeasure(ids, measures, c.key, c.order);
        EXPECT_EQ(ids, c.sorted) << int(c.key) << c.order;
    }
}

TEST(ResultMeasures, BoundsApplyToTheMeasuresAsShownToFourDecimals)
{
    // Files of 1 and 2 words: "a" once, in the first (333333.3333 per million, DP 2/3); "b" in
    // both (666666.6667 per million, DP 1/6).
    const CorpusSize three{2, 3, 3, {1, 2}};
    const ResultMeasures measures(resultsOf({{"a", {{0, 1}}}, {"b", {{0, 1}, {1, 1}}}}), three);
    const std::vector<std::uint32_t> ids = {0, 1};
    const struct {
        MeasureFilter filter;
        std::vector<std::uint32_t> passed;
    } cases[] = {
        {{}, {0, 1}},          {{333333.3333, 1}, {0, 1}}, {{333333.3334, 1}, {1}},
        {{0, 0.6667}, {0, 1}}, {{0, 0.6666}, {1}},         {{0, 0.1666}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(filterByMeasures(ids, measures, c.filter), c.passed)
            << c.filter.minPerMillion << ' ' << c.filter.maxDispersion;
    EXPECT_TRUE(MeasureFilter{}.isOff());
    EXPECT_TRUE((MeasureFilter{5, 0.5}.isNarrowerThan({1, 0.6})));
    EXPECT_FALSE((MeasureFilter{5, 0.7}.isNarrowerThan({1, 0.6})));
}

TEST(ResultMeasures, CorpusLineNamesFilesWordsAndDistinctWords)
{
    EXPECT_EQ(corpusSizeLine({1, 1, 1, {1}}), "Corpus: 1 file, 1 word, 1 distinct word.");
    EXPECT_EQ(corpusSizeLine({56, 1234567, 20000, {}}),
              "Corpus: 56 files, 1,234,567 words, 20,000 distinct words.");
    EXPECT_EQ(corpusSizeLine({2, 9, 0, {}}), "Corpus: 2 files, 9 words.");
}
