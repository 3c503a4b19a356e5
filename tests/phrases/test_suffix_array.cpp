#include "phrases/GeneratedText.h"
#include "phrases/SuffixArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

using namespace orvanta;
using namespace orvanta::detail;

namespace {

using Ids = std::vector<std::uint32_t>;

// Suffixes compared word by word, a line break below every word and the end below everything.
Ids plainSuffixArray(const Ids &ids)
{
    const auto rankOf = [](std::uint32_t id) {
        return id == kLineBreak ? 0 : std::uint64_t(id) + 1;
    };
    Ids order(ids.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return std::lexicographical_compare(
            ids.begin() + a, ids.end(), ids.begin() + b, ids.end(),
            [&](std::uint32_t x, std::uint32_t y) { return rankOf(x) < rankOf(y); });
    });
    return order;
}

Ids plainPermutedLcp(const Ids &ids, const Ids &sa)
{
    Ids lcp(ids.size(), 0);
    for (std::size_t rank = 1; rank < sa.size(); ++rank) {
        std::uint32_t shared = 0;
        while (sa[rank] + shared < ids.size() && sa[rank - 1] + shared < ids.size() &&
               ids[sa[rank] + shared] != kLineBreak &&
               ids[sa[rank] + shared] == ids[sa[rank - 1] + shared])
            ++shared;
        lcp[sa[rank]] = shared;
    }
    return lcp;
}

void expectLikePlainSort(const Ids &ids)
{
    const Ids sa = buildSuffixArray(ids);
    ASSERT_EQ(sa, plainSuffixArray(ids));
    ASSERT_EQ(buildPermutedLcp(ids, sa), plainPermutedLcp(ids, sa));
}

} // namespace

TEST(SuffixArray, MatchesAPlainSortOnRandomTexts)
{
    for (std::uint32_t seed = 0; seed < 300; ++seed) {
        GeneratedText text(seed);
        const std::uint32_t alphabet = seed % 3 == 0 ? 1000 : 1 + seed % 5;
        const std::uint32_t lines = text.below(20);
        for (std::uint32_t line = 0; line < lines; ++line)
            text.addRandom(text.below(30), alphabet).endLine();
        SCOPED_TRACE(seed);
        expectLikePlainSort(text.take());
    }
}

// Periodic text gives the sort's reduced texts many equal names, so it recurses deeply.
TEST(SuffixArray, MatchesAPlainSortOnPeriodicTexts)
{
    expectLikePlainSort(Ids(3000, 0));
    Ids periodic;
    for (std::uint32_t i = 0; i < 4000; ++i)
        periodic.push_back(i % 7 == 6 ? kLineBreak : i % 2);
    expectLikePlainSort(periodic);
    expectLikePlainSort(Ids(50, kLineBreak));
}
