#include "phrases/GeneratedText.h"
#include "phrases/ReferencePassages.h"
#include "phrases/RepeatedPassages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace orvanta;

namespace {

using Passages = std::vector<Passage>;

Passages passagesIn(const std::vector<std::uint32_t> &ids, std::uint32_t minimumWords)
{
    return passagesOf(findRepeatedPassages(ids, minimumWords));
}

Passages passagesIn(const std::string &text, std::uint32_t minimumWords)
{
    return passagesIn(idsOf(text), minimumWords);
}

} // namespace

// What counts as a passage

TEST(RepeatedPassages, OverlappingOccurrencesCount)
{
    EXPECT_EQ(passagesIn("a a a a a", 2),
              (Passages{{2, {0, 1, 2, 3}}, {3, {0, 1, 2}}, {4, {0, 1}}}));
}

TEST(RepeatedPassages, AFragmentIsListedOnlyWhenItAlsoOccursElsewhere)
{
    EXPECT_EQ(passagesIn("p q r s t | p q r s t", 3), (Passages{{5, {0, 6}}}));
    EXPECT_EQ(passagesIn("p q r s t | p q r s t | x q r s y", 3),
              (Passages{{5, {0, 6}}, {3, {1, 7, 13}}}));
}

TEST(RepeatedPassages, NothingMatchesAcrossALineBreak)
{
    EXPECT_EQ(passagesIn("a b c d | a b | c d", 3), Passages{});
    EXPECT_EQ(passagesIn("a b c d | a b | c d", 2), (Passages{{2, {0, 5}}, {2, {2, 8}}}));
}

TEST(RepeatedPassages, PassagesHaveNoLengthLimit)
{
    std::vector<std::uint32_t> page(400);
    std::iota(page.begin(), page.end(), 0);
    std::vector<std::uint32_t> ids{400};
    ids.insert(ids.end(), page.begin(), page.end());
    ids.insert(ids.end(), {detail::kLineBreak, 401});
    ids.insert(ids.end(), page.begin(), page.end());
    EXPECT_EQ(passagesIn(ids, 8), (Passages{{400, {1, 403}}}));
}

// One word repeated on one line gives a passage of every length, each occurring at every place
// it fits: the bounds list the first occurrences of each, and leave out the longest passages,
// saying how many. The counts stay exact.
TEST(RepeatedPassages, ALongRunOfOneWordIsListedWithinTheBounds)
{
    const std::vector<std::uint32_t> ids(300, 0);
    const PassageList listed = findRepeatedPassages(ids, 8, {}, {10, 10000});
    ASSERT_GT(listed.size(), 0u);
    std::uint64_t words = 0;
    for (std::size_t p = 0; p < listed.size(); ++p) {
        const std::uint32_t length = listed.lengths[p];
        words += length;
        EXPECT_EQ(listed.counts[p], 301 - length);
        const auto first = listed.occurrences(p);
        std::vector<std::uint32_t> expected(std::min(10u, 301 - length));
        std::iota(expected.begin(), expected.end(), 0u);
        EXPECT_EQ(std::vector<std::uint32_t>(first.begin(), first.end()), expected);
        std::vector<std::uint32_t> every(listed.everyOccurrence(p).begin(),
                                         listed.everyOccurrence(p).end());
        std::sort(every.begin(), every.end());
        EXPECT_EQ(every.size(), listed.counts[p]);
        EXPECT_EQ(every.back(), 300 - length);
    }
    EXPECT_LE(words, 10000u);
    EXPECT_EQ(listed.size() + listed.leftOut, 292u); // lengths 8 to 299
    EXPECT_EQ(listed.longestListed, listed.lengths.back());
    EXPECT_EQ(listed.leftOut, 299u - listed.longestListed);

    const PassageList whole = findRepeatedPassages(ids, 8);
    EXPECT_EQ(whole.size(), 292u);
    EXPECT_EQ(whole.leftOut, 0u);
}

// Boundaries

TEST(RepeatedPassages, EdgeCases)
{
    EXPECT_EQ(passagesIn(std::vector<std::uint32_t>{}, 1), Passages{});
    EXPECT_EQ(passagesIn("| | | |", 1), Passages{});
    EXPECT_EQ(passagesIn("a b a", 1), (Passages{{1, {0, 2}}}));
    EXPECT_EQ(passagesIn("a b a", 0), passagesIn("a b a", 1));
    EXPECT_EQ(passagesIn("a b c | a b c", 4), Passages{});
}

TEST(RepeatedPassages, AStopRequestGivesAnEmptyList)
{
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(findRepeatedPassages(idsOf("a b | a b"), 1, stop.get_token()).size(), 0u);
}

TEST(RepeatedPassages, RejectsIdsThatAreNotDense)
{
    EXPECT_THROW(findRepeatedPassages(std::vector<std::uint32_t>{5, 5}, 1), std::invalid_argument);
}

// Within a memory limit: a small text fits, a big one is refused with the figures.
TEST(RepeatedPassages, AMemoryLimitIsKeptOrRefusedWithItsFigures)
{
    constexpr std::uint64_t MiB = 1 << 20;
    EXPECT_TRUE(checkPassageMemory(1000000, 300 * MiB).ok());
    EXPECT_TRUE(checkPassageMemory(0, 96 * MiB).ok());
    const Status refused = checkPassageMemory(14200000, 300 * MiB);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(),
              QStringLiteral("Repeated passages are found with the whole text in memory: "
                             "14200000 words need about 637 MiB, more than the memory limit of "
                             "300 MiB. Find them without a memory limit, or in fewer files."));
}

// Against the plain search, on generated texts

namespace {

constexpr std::uint32_t kVocabulary = 500; // large enough that chance repeats stay short

struct Scenario {
    const char *name;
    std::vector<std::uint32_t> (*make)(GeneratedText &text);
    std::uint32_t plantedLength; // a passage at least this long must turn up
};

void PrintTo(const Scenario &scenario, std::ostream *out)
{
    *out << scenario.name;
}

std::vector<std::uint32_t> nested(GeneratedText &text)
{
    const std::vector<std::uint32_t> outer = text.randomWords(12, kVocabulary);
    const std::vector<std::uint32_t> inner(outer.begin() + 3, outer.begin() + 9);
    text.addRandom(2, kVocabulary).add(outer).addRandom(3, kVocabulary).endLine();
    text.addRandom(1, kVocabulary).add(outer).endLine();
    text.add(inner).addRandom(4, kVocabulary).endLine();
    return text.addRandom(3, kVocabulary).add(inner).endLine().take();
}

std::vector<std::uint32_t> overlapping(GeneratedText &text)
{
    const std::vector<std::uint32_t> pair = text.randomWords(2, kVocabulary);
    const std::uint32_t repeats = 3 + text.below(6);
    for (std::uint32_t line = 0; line < 2; ++line) {
        text.addRandom(text.below(3), kVocabulary);
        for (std::uint32_t i = 0; i < repeats + line; ++i)
            text.add(pair);
        text.addRandom(text.below(3), kVocabulary).endLine();
    }
    const std::vector<std::uint32_t> run(4 + text.below(10), pair[0]);
    return text.add(run).endLine().take();
}

std::vector<std::uint32_t> atLineEnds(GeneratedText &text)
{
    const std::vector<std::uint32_t> passage = text.randomWords(9, kVocabulary);
    text.add(passage).addRandom(4, kVocabulary).endLine();
    text.addRandom(5, kVocabulary).add(passage).endLine();
    text.add(passage).endLine();
    return text.addRandom(2, kVocabulary).add(passage).endLine().take();
}

std::vector<std::uint32_t> adjacentLines(GeneratedText &text)
{
    const std::vector<std::uint32_t> line = text.randomWords(10, kVocabulary);
    text.addRandom(6, kVocabulary).endLine();
    for (std::uint32_t copy = 0; copy < 2 + text.below(2); ++copy)
        text.add(line).endLine();
    text.add(std::span(line).first(7)).endLine();
    return text.add(line).add(line).endLine().take();
}

std::vector<std::uint32_t> threeTimesWithAPieceElsewhere(GeneratedText &text)
{
    const std::vector<std::uint32_t> passage = text.randomWords(14, kVocabulary);
    for (std::uint32_t copy = 0; copy < 3; ++copy)
        text.addRandom(1 + text.below(3), kVocabulary)
            .add(passage)
            .addRandom(2, kVocabulary)
            .endLine();
    const std::uint32_t pieceStart = 1 + text.below(5);
    text.addRandom(3, kVocabulary).add(std::span(passage).subspan(pieceStart, 8)).endLine();
    return text.take();
}

std::vector<std::uint32_t> smallAlphabet(GeneratedText &text)
{
    const std::uint32_t alphabet = 1 + text.below(4);
    const std::uint32_t lines = 1 + text.below(12);
    for (std::uint32_t line = 0; line < lines; ++line)
        text.addRandom(text.below(14), alphabet).endLine();
    return text.take();
}

bool hasPassageOfAtLeast(const Passages &passages, std::uint32_t length)
{
    return std::any_of(passages.begin(), passages.end(),
                       [&](const Passage &p) { return p.length >= length; });
}

class AgainstReference : public testing::TestWithParam<Scenario> {};

} // namespace

TEST_P(AgainstReference, SamePassagesForEverySeedAndMinimum)
{
    const Scenario &scenario = GetParam();
    std::size_t passagesSeen = 0;
    for (std::uint32_t seed = 0; seed < 60; ++seed) {
        GeneratedText text(seed);
        const std::vector<std::uint32_t> ids = scenario.make(text);
        for (std::uint32_t minimumWords : {1u, 2u, 3u, 5u, 8u}) {
            const Passages expected = referencePassages(ids, minimumWords);
            passagesSeen += expected.size();
            ASSERT_EQ(passagesIn(ids, minimumWords), expected)
                << "seed " << seed << ", at least " << minimumWords << " words";
            if (minimumWords <= scenario.plantedLength) {
                ASSERT_TRUE(hasPassageOfAtLeast(expected, scenario.plantedLength))
                    << "the planted passage is missing; seed " << seed;
            }
        }
    }
    EXPECT_GT(passagesSeen, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AgainstReference,
    testing::Values(Scenario{"Nested", nested, 12}, Scenario{"Overlapping", overlapping, 6},
                    Scenario{"AtLineEnds", atLineEnds, 9},
                    Scenario{"AdjacentLines", adjacentLines, 10},
                    Scenario{"ThreeTimesWithAPieceElsewhere", threeTimesWithAPieceElsewhere, 14},
                    Scenario{"SmallAlphabet", smallAlphabet, 0}),
    [](const testing::TestParamInfo<Scenario> &info) { return std::string(info.param.name); });
