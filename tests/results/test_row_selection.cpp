#include "QtPrinters.h"
#include "results/RowSelection.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace orvanta;

namespace {

struct Row {
    std::string phrase;
    int words;
    int frequency;
    int files;
};

PhraseResults resultsOf(const std::vector<Row> &rows)
{
    PhraseResults results;
    for (const Row &row : rows)
        results.append(row.phrase, row.words, row.frequency, row.files);
    results.sortForDisplay();
    return results;
}

std::vector<std::string> phrases(const PhraseResults &results, const std::vector<qsizetype> &rows)
{
    std::vector<std::string> out;
    for (const qsizetype row : rows)
        out.emplace_back(results.phraseUtf8(row));
    return out;
}

} // namespace

TEST(RowSelection, TheDefaultIsTheResultsOwnOrder)
{
    const PhraseResults results =
        resultsOf({{"b c", 2, 5, 1}, {"a b", 2, 5, 2}, {"z", 1, 2, 2}, {"x y z", 3, 9, 1}});
    EXPECT_EQ(phrases(results, selectRows(results, {})),
              (std::vector<std::string>{"z", "a b", "b c", "x y z"}));
}

// Every key against a plain sort of the same rows: ascending by the key, ties in the results'
// own order; reversed when asked; minimums before, top after.
TEST(RowSelection, KeysBoundsReverseAndTopAgreeWithAPlainSort)
{
    QRandomGenerator random(3);
    for (int round = 0; round < 50; ++round) {
        std::vector<Row> rows;
        for (int i = random.bounded(0, 40); i > 0; --i) {
            const int words = random.bounded(1, 4);
            rows.push_back({std::to_string(random.bounded(1000)) + " w", words,
                            random.bounded(2, 9), random.bounded(1, 5)});
        }
        std::sort(rows.begin(), rows.end(),
                  [](const Row &a, const Row &b) { return a.phrase < b.phrase; });
        rows.erase(std::unique(rows.begin(), rows.end(),
                               [](const Row &a, const Row &b) { return a.phrase == b.phrase; }),
                   rows.end());
        const PhraseResults results = resultsOf(rows);
        RowSelection selection;
        selection.minimumFrequency = random.bounded(2, 6);
        selection.minimumFiles = random.bounded(1, 4);
        selection.order = RowOrder(random.bounded(4));
        selection.reverse = random.bounded(2) == 1;
        selection.top = random.bounded(-1, 10);

        std::vector<Row> expected;
        for (const Row &row : rows) {
            if (row.frequency >= selection.minimumFrequency && row.files >= selection.minimumFiles)
                expected.push_back(row);
        }
        const auto key = [&](const Row &row) {
            switch (selection.order) {
            case RowOrder::Phrase:
                return std::make_tuple(0, row.phrase, 0, std::string());
            case RowOrder::Words:
                return std::make_tuple(row.words, std::string(), row.frequency, row.phrase);
            case RowOrder::Files:
                return std::make_tuple(row.files, std::string(), row.frequency, row.phrase);
            case RowOrder::Frequency:
                break;
            }
            return std::make_tuple(row.frequency, row.phrase, 0, std::string());
        };
        std::sort(expected.begin(), expected.end(),
                  [&](const Row &a, const Row &b) { return key(a) < key(b); });
        if (selection.reverse)
            std::reverse(expected.begin(), expected.end());
        if (selection.top >= 0 && qsizetype(expected.size()) > selection.top)
            expected.resize(size_t(selection.top));
        std::vector<std::string> expectedPhrases;
        for (const Row &row : expected)
            expectedPhrases.push_back(row.phrase);
        ASSERT_EQ(phrases(results, selectRows(results, selection)), expectedPhrases)
            << "round " << round;
    }
}
