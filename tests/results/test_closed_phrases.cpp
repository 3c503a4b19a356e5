#include "QtPrinters.h"
#include "phrases/PhraseTable.h"
#include "results/ClosedPhrases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

using namespace orvanta;

namespace {

struct Row {
    const char *phrase;
    int frequency;
};

PhraseResults resultsOf(std::initializer_list<Row> rows)
{
    PhraseResults results;
    for (const Row &row : rows) {
        const std::string_view phrase(row.phrase);
        results.append(phrase, int(std::count(phrase.begin(), phrase.end(), ' ')) + 1,
                       row.frequency);
    }
    return results;
}

std::vector<std::uint32_t> allOf(const PhraseResults &results)
{
    std::vector<std::uint32_t> ids(size_t(results.size()));
    std::iota(ids.begin(), ids.end(), 0u);
    return ids;
}

QStringList phrasesOf(const PhraseResults &results, const std::vector<std::uint32_t> &ids)
{
    QStringList phrases;
    for (const std::uint32_t id : ids)
        phrases << results.row(qsizetype(id)).phrase;
    return phrases;
}

// The plain reference: a listed phrase is hidden when the words of a longer listed phrase with
// the same frequency hold its words, in a row.
std::vector<bool> referenceInsideLonger(const std::vector<std::uint32_t> &listed,
                                        const PhraseResults &results)
{
    std::vector<bool> inside(size_t(results.size()), false);
    for (const std::uint32_t shorter : listed) {
        const QStringList part = results.row(shorter).phrase.split(QLatin1Char(' '));
        for (const std::uint32_t longer : listed) {
            const QStringList whole = results.row(longer).phrase.split(QLatin1Char(' '));
            if (whole.size() <= part.size() ||
                results.frequency(longer) != results.frequency(shorter))
                continue;
            for (qsizetype start = 0; start + part.size() <= whole.size(); ++start) {
                if (whole.mid(start, part.size()) == part)
                    inside[shorter] = true;
            }
        }
    }
    return inside;
}

} // namespace

TEST(ClosedPhrases, APhraseInsideALongerOneWithTheSameFrequencyIsHidden)
{
    struct Case {
        const char *what;
        PhraseResults results;
        QStringList kept;
    };
    const Case cases[] = {
        {"at the start", resultsOf({{"the number", 4}, {"the number of", 4}}), {"the number of"}},
        {"at the end and in the middle",
         resultsOf({{"number of", 4}, {"of the", 4}, {"number of the", 4}, {"a number of the", 4}}),
         {"a number of the"}},
        {"a different frequency keeps both",
         resultsOf({{"the number of", 3}, {"the number", 5}}),
         {"the number of", "the number"}},
        {"the same length keeps both",
         resultsOf({{"of the", 2}, {"in the", 2}}),
         {"of the", "in the"}},
        {"words, not characters",
         resultsOf({{"the numbers", 3}, {"the number", 2}, {"at the numbers", 2}}),
         {"the numbers", "the number", "at the numbers"}},
        {"overlapping occurrences count apart",
         resultsOf({{"a a", 3}, {"a a a", 2}}),
         {"a a", "a a a"}},
        // Lengths 2 and 4 only: "b c" is inside "a b c d" through "a b c" or "b c d", which are
        // not listed.
        {"through phrases that are not listed",
         resultsOf({{"b c", 2}, {"a b c d", 2}, {"c d", 3}}),
         {"a b c d", "c d"}},
    };
    for (const Case &c : cases) {
        const std::vector<std::uint32_t> all = allOf(c.results);
        EXPECT_EQ(phrasesOf(c.results, closedPhrases(all, c.results)), c.kept) << c.what;
    }
}

TEST(ClosedPhrases, OnlyListedPhrasesHideAndAreHidden)
{
    const PhraseResults results =
        resultsOf({{"the number", 4}, {"the number of", 4}, {"number of", 4}});
    // Without "the number of" listed, nothing hides the two others.
    EXPECT_EQ(phrasesOf(results, closedPhrases(std::vector<std::uint32_t>{2, 0}, results)),
              (QStringList{"number of", "the number"}));
    const std::vector<bool> inside = phrasesInsideLonger(std::vector<std::uint32_t>{1, 2}, results);
    EXPECT_EQ(inside, (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(closedPhrases({}, results).empty());
}

// Exact: the counts of generated texts, with every length or some, all rows listed or some,
// give what the plain reference gives.
TEST(ClosedPhrases, MatchesThePlainReferenceOnCountedTexts)
{
    std::mt19937 random(29);
    const auto below = [&random](std::uint32_t bound) {
        return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(random);
    };
    const std::vector<std::vector<int>> lengthSets{{2, 3, 4, 5, 6}, {2, 5}, {1, 3, 4}, {3, 7}};
    for (int round = 0; round < 24; ++round) {
        const std::vector<int> &lengths = lengthSets[size_t(round) % lengthSets.size()];
        PhraseTable table(lengths);
        const std::vector<QByteArray> vocabulary{"a", "b", "c", "d", "the", "of", "é"};
        const QByteArray planted = "the c of a b the d";
        for (int line = 0; line < 60; ++line) {
            QByteArray text;
            for (std::uint32_t word = 0, count = below(14); word < count; ++word)
                text += vocabulary[below(round % 2 ? 3 : 7)] + ' ';
            table.countLine(below(4) ? text : text + planted);
        }
        PhraseResults results = table.extractRepeatedPhrases();
        results.sortForDisplay();
        std::vector<std::uint32_t> listed;
        for (std::uint32_t id = 0; id < std::uint32_t(results.size()); ++id) {
            if (round < 12 || below(10) < 7)
                listed.push_back(id);
        }
        std::shuffle(listed.begin(), listed.end(), random);
        ASSERT_EQ(phrasesInsideLonger(listed, results), referenceInsideLonger(listed, results))
            << "round " << round << ", " << listed.size() << " of " << results.size()
            << " rows listed";
    }
}
