#include "QtPrinters.h"
#include "phrases/PhraseResults.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

using namespace orvanta;

namespace {

struct Row {
    std::string phrase;
    int words = 0;
    int frequency = 0;
    int files = 0;
    bool operator==(const Row &) const = default;
};

std::vector<Row> sorted(const std::vector<Row> &rows)
{
    PhraseResults results;
    for (const Row &row : rows)
        results.append(row.phrase, row.words, row.frequency, row.files);
    results.sortForDisplay();
    std::vector<Row> out;
    for (qsizetype i = 0; i < results.size(); ++i)
        out.push_back({std::string(results.phraseUtf8(i)), results.wordCount(i),
                       results.frequency(i), results.files(i)});
    return out;
}

std::vector<std::string> phrasesOf(const std::vector<Row> &rows)
{
    std::vector<std::string> phrases;
    for (const Row &row : rows)
        phrases.push_back(row.phrase);
    return phrases;
}

// The order by its definition: frequency, then the phrase's bytes as unsigned values.
bool plainlyBefore(const Row &a, const Row &b)
{
    const auto bytes = [](const std::string &text) {
        return std::vector<unsigned char>(text.begin(), text.end());
    };
    return std::tuple(a.frequency, bytes(a.phrase)) < std::tuple(b.frequency, bytes(b.phrase));
}

} // namespace

// Order

TEST(PhraseResults, RowsAscendByFrequencyThenByPhrase)
{
    EXPECT_EQ(phrasesOf(sorted({{"hundred times", 2, 100, 1},
                                {"zebra crossing", 2, 2, 1},
                                {"ten times", 2, 10, 1},
                                {"apple pie", 2, 2, 1},
                                {"nine times", 2, 9, 1}})),
              (std::vector<std::string>{"apple pie", "zebra crossing", "nine times", "ten times",
                                        "hundred times"}));
}

TEST(PhraseResults, TiesOrderByCodePoint)
{
    // "a\x01 b" before "a b"; U+FF41 before U+1F600; both after every ASCII phrase.
    EXPECT_EQ(phrasesOf(sorted({{"\xf0\x9f\x98\x80 x", 2, 2, 1},
                                {"z y", 2, 2, 1},
                                {"\xef\xbd\x81 x", 2, 2, 1},
                                {"a b", 2, 2, 1},
                                {"a\x01 b", 2, 2, 1}})),
              (std::vector<std::string>{"a\x01 b", "a b", "z y", "\xef\xbd\x81 x",
                                        "\xf0\x9f\x98\x80 x"}));
}

TEST(PhraseResults, PhrasesAlikeInTheirFirstEightBytesOrderByTheRest)
{
    using namespace std::string_literals;
    EXPECT_EQ(phrasesOf(sorted({{"abcdefgh z", 2, 3, 1},
                                {"abcdefgh", 1, 3, 1},
                                {"abcdefgh a", 2, 3, 1},
                                {"abcdefg", 1, 3, 1},
                                {"abc\0"s, 1, 3, 1},
                                {"abc", 1, 3, 1},
                                {"abc\0\0x"s, 1, 3, 1}})),
              (std::vector<std::string>{"abc", "abc\0"s, "abc\0\0x"s, "abcdefg", "abcdefgh",
                                        "abcdefgh a", "abcdefgh z"}));
    // The same past the first sixteen bytes.
    EXPECT_EQ(phrasesOf(sorted({{"one two three four b", 5, 3, 1},
                                {"one two three four\0"s, 4, 3, 1},
                                {"one two three four", 4, 3, 1},
                                {"one two three four a", 5, 3, 1},
                                {"one two three fou\xc3\xa9", 4, 3, 1}})),
              (std::vector<std::string>{"one two three four", "one two three four\0"s,
                                        "one two three four a", "one two three four b",
                                        "one two three fou\xc3\xa9"}));
}

TEST(PhraseResults, EveryRowKeepsItsOwnCounts)
{
    EXPECT_EQ(sorted({{"b c d", 3, 2, 2}, {"a", 1, 5, 1}, {"a b", 2, 2, 1}}),
              (std::vector<Row>{{"a b", 2, 2, 1}, {"b c d", 3, 2, 2}, {"a", 1, 5, 1}}));
}

// Enough rows that both cores sort a half, with phrases that often share long beginnings.
TEST(PhraseResults, ManyRowsAgreeWithAPlainSort)
{
    const char *words[] = {"the", "theory", "a", "\xc3\xa9t\xc3\xa9", "of", "offset", "\x01"};
    QRandomGenerator random(7);
    std::vector<Row> rows;
    for (int i = 0; i < 150000; ++i) {
        std::string phrase = words[random.bounded(int(std::size(words)))];
        const int length = random.bounded(1, 6);
        for (int w = 1; w < length; ++w)
            phrase += std::string(" ") + words[random.bounded(int(std::size(words)))];
        phrase += " " + std::to_string(i); // phrases are distinct, as in every result
        rows.push_back({phrase, length + 1, random.bounded(2, 6), random.bounded(1, 4)});
    }
    std::vector<Row> expected = rows;
    std::sort(expected.begin(), expected.end(), plainlyBefore);
    const std::vector<Row> got = sorted(rows);
    ASSERT_EQ(got.size(), expected.size());
    const auto firstDifference = std::mismatch(got.begin(), got.end(), expected.begin()).first;
    EXPECT_EQ(firstDifference - got.begin(), std::ptrdiff_t(got.size())) << "first differing row";
}
