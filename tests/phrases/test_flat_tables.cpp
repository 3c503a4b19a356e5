#include "phrases/FlatTables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

using namespace orvanta::detail;
using namespace std::string_literals;

namespace {

// Adds every word to a WordMap, each new one with the next number, and checks each value
// against a std::map doing the same.
void expectSameValuesAsAPlainMap(const std::vector<std::string> &words)
{
    WordMap map;
    std::map<std::string, std::uint32_t> expected;
    std::uint32_t next = 0;
    for (const std::string &word : words) {
        const auto [plain, added] = expected.try_emplace(word, next);
        const std::uint32_t value = map.findOrAdd(word, [&] { return next; });
        ASSERT_EQ(value, plain->second) << "word \"" << word << "\"";
        next += added ? 1 : 0;
    }
    EXPECT_EQ(map.size(), expected.size());
}

} // namespace

// WordMap

TEST(WordMap, WordsAlikeInPartsStayApart)
{
    std::vector<std::string> words{"",
                                   "\0"s,
                                   "\0\0"s,
                                   "a",
                                   "a\0"s,
                                   "a\0\0\0\0\0\0\0"s,
                                   "abcdefgh",
                                   "abcdefgh\0"s,
                                   "abcdefgh1",
                                   "abcdefgh2",
                                   "abcdefghabcdefgh1",
                                   "abcdefghabcdefgh2"};
    // Every length from 1 to 20 of one letter and of a word that differs only in its last byte,
    // across the ways the first eight bytes are read.
    for (std::size_t length = 1; length <= 20; ++length) {
        words.push_back(std::string(length, 'x'));
        words.push_back(std::string(length - 1, 'x') + 'y');
        words.push_back('y' + std::string(length - 1, 'x'));
    }
    std::vector<std::string> twice = words;
    twice.insert(twice.end(), words.rbegin(), words.rend());
    expectSameValuesAsAPlainMap(twice);
}

TEST(WordMap, KeepsEveryWordWhileItGrows)
{
    std::vector<std::string> words;
    for (std::int64_t i = 0; i < 300000; ++i)
        words.push_back(std::to_string(i * 7919 % 100000) +
                        (i % 3 == 0 ? "-long-enough-word" : ""));
    expectSameValuesAsAPlainMap(words);
}

// StringInterner

TEST(StringInterner, GivesDenseIdsInOrderOfFirstSightAndTheirText)
{
    StringInterner interner;
    EXPECT_EQ(interner.intern("the"), 0u);
    EXPECT_EQ(interner.intern("phrase counter"), 1u);
    EXPECT_EQ(interner.intern("the"), 0u);
    EXPECT_EQ(interner.intern("\0"s), 2u);
    EXPECT_EQ(interner.size(), 3u);
    EXPECT_EQ(interner.text(1), "phrase counter");
    EXPECT_EQ(interner.text(2), "\0"s);
}

// LargeArray

TEST(LargeArray, KeepsItsValuesAsItGrowsPastTheHeapAndStartsOnAHugePage)
{
    constexpr std::uint32_t kValues = 3'000'000; // 12 MB: grows from heap blocks to mapped ones
    LargeArray<std::uint32_t> values;
    for (std::uint32_t i = 0; i < kValues; ++i)
        values.push_back(i * 2654435761u);
    for (std::uint32_t i = 0; i < kValues; ++i)
        ASSERT_EQ(values[i], i * 2654435761u) << "at " << i;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(values.data()) % (std::uintptr_t(2) << 20), 0u);

    LargeText text;
    for (int i = 0; i < 500'000; ++i)
        text += "words ";
    EXPECT_EQ(text.size(), 3'000'000u);
    EXPECT_EQ(text.substr(2'999'994), "words ");
    values = LargeArray<std::uint32_t>(5, 7); // the big block goes back while the small one lives
    EXPECT_EQ(values, LargeArray<std::uint32_t>({7, 7, 7, 7, 7}));
}

TEST(LargeArray, KeepsWhatItHoldsWhenItsUnusedCapacityIsGivenBack)
{
    for (const std::size_t kept : {std::size_t(0), std::size_t(1000), std::size_t(700'001)}) {
        LargeArray<std::uint32_t> values(1'500'000); // 6 MB: a mapped block
        for (std::uint32_t i = 0; i < values.size(); ++i)
            values[i] = i + 1;
        values.resize(kept);
        releaseUnusedCapacity(values);
        for (std::uint32_t i = 0; i < kept; ++i)
            ASSERT_EQ(values[i], i + 1) << "at " << i << " of " << kept;
        values.resize(1'500'000, 9); // within its capacity, over the pages given back
        EXPECT_EQ(values.back(), 9u);
        EXPECT_EQ(values[kept], 9u);
    }
}
