#include "results/ResultKeyness.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace orvanta;

namespace {

// Files 0 and 1 are the target (100 and 300 words), file 2 the reference (400 words).
const CorpusSize kCorpus{3, 800, 50, {100, 300, 400}};
const std::vector<FileSet> kSets = {FileSet::Target, FileSet::Target, FileSet::Reference};

struct Row {
    std::vector<FileCount> counts;
    std::uint64_t target;
    std::uint64_t reference;
};

const std::vector<Row> kRows = {
    {{{0, 2}, {1, 2}}, 4, 0},         // 0: only in the target
    {{{2, 3}}, 0, 3},                 // 1: only in the reference
    {{{0, 1}, {2, 1}}, 1, 1},         // 2: in both, as often
    {{{1, 6}, {2, 2}}, 6, 2},         // 3: in both, more in the target
    {{{0, 1}, {1, 1}, {2, 6}}, 2, 6}, // 4: in both, more in the reference
};

std::shared_ptr<const PhraseResults> results()
{
    auto made = std::make_shared<PhraseResults>();
    std::vector<std::uint32_t> files;
    for (const Row &row : kRows)
        files.push_back(std::uint32_t(row.counts.size()));
    std::span<FileCount> counts = made->appendFileCounts(files);
    for (const Row &row : kRows) {
        for (const FileCount &count : row.counts) {
            counts.front() = count;
            counts = counts.subspan(1);
        }
        made->append("phrase", 2, int(row.target + row.reference), int(row.counts.size()));
    }
    return made;
}

} // namespace

TEST(ResultKeyness, EachResultHasItsFrequencyInBothSetsAndItsKeyness)
{
    const Result<ResultKeyness> keyness = ResultKeyness::make(results(), kCorpus, kSets);
    ASSERT_TRUE(keyness.ok()) << keyness.error().toStdString();
    EXPECT_EQ(keyness->targetWords(), 400u);
    EXPECT_EQ(keyness->referenceWords(), 400u);
    for (std::uint32_t id = 0; id < kRows.size(); ++id) {
        const KeynessRow &row = keyness->of(id);
        EXPECT_EQ(row.row, qsizetype(id));
        EXPECT_EQ(row.target, kRows[id].target) << id;
        EXPECT_EQ(row.reference, kRows[id].reference) << id;
        const Keyness expected = keynessOf(kRows[id].target, kRows[id].reference, 400, 400);
        EXPECT_DOUBLE_EQ(row.keyness.logLikelihood, expected.logLikelihood) << id;
        EXPECT_DOUBLE_EQ(row.keyness.logRatio, expected.logRatio) << id;
    }
    const std::vector<FileSet> noReference(3, FileSet::Target);
    EXPECT_FALSE(ResultKeyness::make(results(), kCorpus, noReference).ok());
}

TEST(ResultKeyness, PresenceFiltersAndKeysSortTheResults)
{
    const Result<ResultKeyness> keyness = ResultKeyness::make(results(), kCorpus, kSets);
    ASSERT_TRUE(keyness.ok());
    const std::vector<std::uint32_t> all = {0, 1, 2, 3, 4};
    const struct {
        SetPresence presence;
        std::vector<std::uint32_t> passed;
    } filters[] = {
        {SetPresence::Any, {0, 1, 2, 3, 4}},
        {SetPresence::TargetOnly, {0}},
        {SetPresence::ReferenceOnly, {1}},
        {SetPresence::Both, {2, 3, 4}},
    };
    for (const auto &c : filters)
        EXPECT_EQ(filterByPresence(all, *keyness, c.presence), c.passed) << int(c.presence);

    const struct {
        KeynessKey key;
        Qt::SortOrder order;
        std::vector<std::uint32_t> sorted;
    } sorts[] = {
        {KeynessKey::Target, Qt::AscendingOrder, {1, 2, 4, 0, 3}},
        {KeynessKey::Reference, Qt::DescendingOrder, {4, 1, 3, 2, 0}},
        {KeynessKey::LogLikelihood, Qt::DescendingOrder, {0, 3, 2, 4, 1}},
        {KeynessKey::LogRatio, Qt::AscendingOrder, {1, 4, 2, 3, 0}},
    };
    for (const auto &c : sorts) {
        std::vector<std::uint32_t> ids = all;
        sortByKeyness(ids, *keyness, c.key, c.order);
        EXPECT_EQ(ids, c.sorted) << int(c.key);
    }
}
