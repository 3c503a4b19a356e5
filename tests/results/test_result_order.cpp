#include "QtPrinters.h"
#include "phrases/PhraseResults.h"
#include "results/ResultOrder.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

using namespace orvanta;

namespace {

using Ids = std::vector<std::uint32_t>;

// In the run's order: ascending frequency, then phrase.
PhraseResults sample()
{
    PhraseResults results;
    results.append("the end of", 3, 2, 2);           // 0
    results.append("zz top band", 3, 2, 1);          // 1
    results.append("a b", 2, 3, 3);                  // 2
    results.append("\xc3\xa4 b", 2, 3, 1);           // 3: "ä b"
    results.append("a b c d e f g h i j", 10, 5, 2); // 4
    results.append("a b c d e f g h i k", 10, 5, 2); // 5
    results.append("a b c d", 4, 7, 1);              // 6
    return results;
}

Ids allOf(const PhraseResults &results)
{
    Ids ids(size_t(results.size()));
    std::iota(ids.begin(), ids.end(), 0u);
    return ids;
}

Ids sorted(ResultKey key, Qt::SortOrder order)
{
    const PhraseResults results = sample();
    Ids ids = allOf(results);
    std::reverse(ids.begin(), ids.end()); // the order handed in does not matter
    sortResults(ids, results, key, order);
    return ids;
}

Ids reversed(Ids ids)
{
    std::reverse(ids.begin(), ids.end());
    return ids;
}

Ids filtered(const ResultFilter &filter)
{
    const PhraseResults results = sample();
    return filterResults(allOf(results), results, filter);
}

} // namespace

// Orders: every column both ways; ties keep the run's order, descending is its reverse.

TEST(ResultOrder, EachColumnSortsBothWaysWithTiesInTheRunsOrder)
{
    const Ids byPhrase{2, 6, 4, 5, 0, 1, 3};
    const Ids byWords{2, 3, 0, 1, 6, 4, 5};
    const Ids byFrequency{0, 1, 2, 3, 4, 5, 6};
    const Ids byFiles{1, 3, 6, 0, 4, 5, 2};
    EXPECT_EQ(sorted(ResultKey::Phrase, Qt::AscendingOrder), byPhrase);
    EXPECT_EQ(sorted(ResultKey::Phrase, Qt::DescendingOrder), reversed(byPhrase));
    EXPECT_EQ(sorted(ResultKey::Words, Qt::AscendingOrder), byWords);
    EXPECT_EQ(sorted(ResultKey::Words, Qt::DescendingOrder), reversed(byWords));
    EXPECT_EQ(sorted(ResultKey::Frequency, Qt::AscendingOrder), byFrequency);
    EXPECT_EQ(sorted(ResultKey::Frequency, Qt::DescendingOrder), reversed(byFrequency));
    EXPECT_EQ(sorted(ResultKey::Files, Qt::AscendingOrder), byFiles);
    EXPECT_EQ(sorted(ResultKey::Files, Qt::DescendingOrder), reversed(byFiles));
}

// Phrases that share long beginnings, end inside or exactly at an eight-byte step, or carry
// letters of two to four bytes, against a plain comparison of whole strings.
TEST(ResultOrder, PhraseOrderMatchesAPlainComparisonOfCodePoints)
{
    static const char *const pieces[] = {"a",        "ab",           "abcdefgh",         "b", " ",
                                         "\xc3\xa9", "\xe2\x80\x93", "\xf0\x9f\x98\x80", "z"};
    QRandomGenerator random(20240607);
    std::vector<std::string> phrases;
    PhraseResults results;
    for (int i = 0; i < 3000; ++i) {
        std::string phrase;
        const int count = random.bounded(1, 8);
        for (int piece = 0; piece < count; ++piece)
            phrase += pieces[random.bounded(int(std::size(pieces)))];
        phrases.push_back(phrase);
        results.append(phrase, 2, 2);
    }
    Ids ids = allOf(results);
    sortResults(ids, results, ResultKey::Phrase, Qt::AscendingOrder);

    Ids expected = allOf(results);
    std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
        return phrases[a] < phrases[b]; // std::string compares bytes as unsigned char
    });
    EXPECT_EQ(ids, expected);
}

// Filter and lower bounds

TEST(ResultFilter, TextMatchesWordsOrPartsInAnyCaseWithBlanksEvened)
{
    EXPECT_EQ(filtered({}), (Ids{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(filtered({QStringLiteral("END")}), (Ids{0}));
    EXPECT_EQ(filtered({QStringLiteral("op ba")}), (Ids{1}));
    EXPECT_EQ(filtered({QStringLiteral("  end \t of ")}), (Ids{0}));
    EXPECT_EQ(filtered({QStringLiteral("b c")}), (Ids{4, 5, 6}));
    EXPECT_EQ(filtered({QString::fromUtf8("\xc3\x84")}), (Ids{3})) << "upper-case umlaut";
    EXPECT_EQ(filtered({QStringLiteral("nowhere")}), Ids{});
}

TEST(ResultFilter, LowerBoundsAreInclusiveAndCombineWithTheText)
{
    EXPECT_EQ(filtered({{}, 5, 0}), (Ids{4, 5, 6}));
    EXPECT_EQ(filtered({{}, 0, 2}), (Ids{0, 2, 4, 5}));
    EXPECT_EQ(filtered({{}, 3, 2}), (Ids{2, 4, 5}));
    EXPECT_EQ(filtered({QStringLiteral("a b"), 0, 3}), (Ids{2}));
    EXPECT_EQ(filtered({{}, 8, 0}), Ids{});
}

TEST(ResultFilter, KeepsTheOrderItIsGiven)
{
    const PhraseResults results = sample();
    EXPECT_EQ(filterResults(Ids{6, 5, 2, 4}, results, {QStringLiteral("c d")}), (Ids{6, 5, 4}));
}

TEST(ResultFilter, NarrowerWhenItCanOnlyHideMore)
{
    const ResultFilter wide{QStringLiteral("end"), 2, 1};
    EXPECT_TRUE((ResultFilter{QStringLiteral("the end"), 2, 1}).isNarrowerThan(wide));
    EXPECT_TRUE((ResultFilter{QStringLiteral("END"), 3, 2}).isNarrowerThan(wide));
    EXPECT_FALSE((ResultFilter{QStringLiteral("en"), 2, 1}).isNarrowerThan(wide));
    EXPECT_FALSE((ResultFilter{QStringLiteral("end"), 1, 1}).isNarrowerThan(wide));
    EXPECT_FALSE((ResultFilter{QStringLiteral("end"), 2, 0}).isNarrowerThan(wide));
    EXPECT_TRUE(wide.isNarrowerThan(ResultFilter{}));
}

TEST(ResultFilter, WildcardsMatchTheWholePhraseAndAnExpressionAnyPart)
{
    const auto regex = [](const char *text) {
        return ResultFilter{QLatin1String(text), 0, 0, true};
    };
    const struct {
        ResultFilter filter;
        Ids expected;
    } cases[] = {
        {{QStringLiteral("a b*")}, {2, 4, 5, 6}},
        {{QStringLiteral("*B")}, {2, 3}},
        {{QStringLiteral("? b")}, {2, 3}},
        {{QStringLiteral("  the   * of ")}, {0}},
        {{QStringLiteral("*j"), 0, 0}, {4}},
        {{QStringLiteral("the*"), 4, 0}, {}},
        {regex("^a b( c d)?$"), {2, 6}},
        {regex("TOP"), {1}},
        {regex("[jk]$"), {4, 5}},
        {regex("a b*"), {2, 4, 5, 6}}, // not wildcards: "b*" is any number of b
        {regex("(unclosed"), {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(filtered(c.filter), c.expected) << c.filter.text.toStdString();
}

TEST(ResultFilter, APatternIsNarrowerOnlyThanItself)
{
    const ResultFilter wildcards{QStringLiteral("a*"), 2, 1};
    EXPECT_TRUE((ResultFilter{QStringLiteral("a*"), 3, 1}).isNarrowerThan(wildcards));
    EXPECT_FALSE((ResultFilter{QStringLiteral("a*b"), 2, 1}).isNarrowerThan(wildcards));
    EXPECT_FALSE((ResultFilter{QStringLiteral("a"), 2, 1}).isNarrowerThan(wildcards));
    EXPECT_FALSE((ResultFilter{QStringLiteral("a*"), 2, 1, true}).isNarrowerThan(wildcards));
    EXPECT_FALSE((ResultFilter{QStringLiteral("ab"), 2, 1, true})
                     .isNarrowerThan(ResultFilter{QStringLiteral("a"), 2, 1, true}));
}
