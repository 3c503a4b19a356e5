#include "QtPrinters.h"
#include "results/ConcordanceOrder.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

Occurrence occurrence(int source, const char *before, const char *after, int page = 1)
{
    Occurrence found;
    found.source = source;
    found.page = page;
    found.before = QString::fromUtf8(before);
    found.phrase = QStringLiteral("the end");
    found.after = QString::fromUtf8(after);
    return found;
}

const QStringList kPaths{QStringLiteral("/b/Zeta.pdf"), QStringLiteral("/a/alpha.pdf"),
                         QStringLiteral("/c/alpha.pdf")};

} // namespace

TEST(ConcordanceOrder, RowsSortByEachKeyInTurn)
{
    const std::vector<Occurrence> found{
        occurrence(0, "at long last", "of Days came"), // 0
        occurrence(1, "this is", "of it"),             // 1
        occurrence(2, "Really", "came soon"),          // 2
        occurrence(0, "not at", ""),                   // 3
        occurrence(1, "and so at", "Of days went"),    // 4
    };
    const ContextWords words{TextOptions{}};
    using enum ConcordanceKey;
    struct Case {
        std::vector<ConcordanceKey> keys;
        Qt::SortOrder order;
        std::vector<int> rows;
    };
    const Case cases[] = {
        // A missing word sorts first; case does not count; ties keep their order.
        {{Right1}, Qt::AscendingOrder, {3, 2, 0, 1, 4}},
        {{Right1, Right2}, Qt::AscendingOrder, {3, 2, 0, 4, 1}},
        {{Right2}, Qt::AscendingOrder, {3, 0, 4, 1, 2}},
        {{Right3}, Qt::AscendingOrder, {1, 2, 3, 0, 4}},
        {{Left1}, Qt::AscendingOrder, {3, 4, 1, 0, 2}},
        {{Left2}, Qt::AscendingOrder, {2, 0, 3, 4, 1}},
        {{Left3}, Qt::AscendingOrder, {1, 2, 3, 4, 0}},
        // Files by name in any case, then by path.
        {{File}, Qt::AscendingOrder, {1, 4, 2, 0, 3}},
        {{File, Left1}, Qt::AscendingOrder, {4, 1, 2, 3, 0}},
        // Descending keeps ties in their order too.
        {{Right1}, Qt::DescendingOrder, {0, 1, 4, 2, 3}},
        {{}, Qt::AscendingOrder, {0, 1, 2, 3, 4}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(concordanceOrder(found, kPaths, c.keys, c.order, words), c.rows)
            << "key " << int(c.keys.empty() ? -1 : int(c.keys.front())) << " of " << c.keys.size();
    }
}

TEST(ConcordanceOrder, TheSortWordsAreTheWordsTheRunCounted)
{
    const Occurrence found = occurrence(0, "Contents . . . . 12", ". (Next) chapter, one");
    struct Case {
        bool ignorePunctuation;
        bool wordsNeedLetters;
        ConcordanceKey key;
        std::optional<ContextWord> word;
        QByteArray sortText;
    };
    using enum ConcordanceKey;
    const Case cases[] = {
        {false, false, Left1, ContextWord{false, 17, 2}, "12"},
        {false, false, Left2, ContextWord{false, 15, 1}, "."},
        {false, false, Right1, ContextWord{true, 0, 1}, "."},
        {false, false, Right2, ContextWord{true, 2, 6}, "(next)"},
        {true, false, Right1, ContextWord{true, 2, 6}, "next"},
        {true, false, Right2, ContextWord{true, 9, 8}, "chapter"},
        {false, true, Left2, ContextWord{false, 0, 8}, "contents"},
        {false, true, Left3, std::nullopt, ""},
        {false, true, Right1, ContextWord{true, 2, 6}, "(next)"},
        {false, false, File, std::nullopt, ""},
    };
    for (const Case &c : cases) {
        TextOptions options;
        options.ignorePunctuation = c.ignorePunctuation;
        options.wordsNeedLetters = c.wordsNeedLetters;
        const ContextWords words(options);
        EXPECT_EQ(words.wordOf(found, c.key), c.word) << int(c.key);
        EXPECT_EQ(words.sortTextOf(found, c.key), c.sortText) << int(c.key);
    }
}

TEST(ConcordanceOrder, ALineIsExportedWithItsFilePlaceAndContext)
{
    Occurrence found = occurrence(1, "at long last", "of days", 7);
    found.line = 12;
    EXPECT_EQ(
        concordanceLine(found, kPaths),
        (ConcordanceLine{QStringLiteral("/a/alpha.pdf"), 7, 12, QStringLiteral("at long last"),
                         QStringLiteral("the end"), QStringLiteral("of days")}));
    EXPECT_STREQ(kConcordanceColumns[2], "line_number");
}
