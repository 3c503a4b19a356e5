#include "QtPrinters.h"
#include "app/PairText.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

SharedStretch stretch(int words, int page, int line, LinePlace last, int textLine, qsizetype begin,
                      qsizetype end, const char *text)
{
    return {words, {0, page, line}, last, textLine, begin, end, QString::fromUtf8(text), 0};
}

QStringList marked(const PairSideText &side)
{
    QStringList words;
    for (const TextSpan &span : side.spans())
        words << side.text().mid(span.start, span.length);
    return words;
}

} // namespace

// Lines joined one a line; each stretch marked where it stands, on whatever line.
TEST(PairSideText, MarksEachStretchInTheJoinedLines)
{
    PairSide side;
    side.lines = {"One two three", "", "four five six seven"};
    side.stretches = {stretch(2, 1, 1, {1, 1}, 0, 4, 13, "two three"),
                      stretch(2, 2, 1, {2, 1}, 2, 5, 13, "five six")};
    const PairSideText text(side);
    EXPECT_EQ(text.text(), QStringLiteral("One two three\n\nfour five six seven"));
    EXPECT_EQ(marked(text), (QStringList{"two three", "five six"}));
}

// A side whose text could not be read again shows the stretches' words, one a paragraph.
TEST(PairSideText, ShowsTheSharedWordsAloneWhenTheTextIsGone)
{
    PairSide side;
    side.stretches = {stretch(2, 1, 1, {1, 1}, -1, 0, 0, "two three"),
                      stretch(3, 1, 2, {1, 2}, -1, 0, 0, "four five six")};
    const PairSideText text(side);
    EXPECT_EQ(text.text(), QStringLiteral("two three\n\nfour five six"));
    EXPECT_EQ(marked(text), (QStringList{"two three", "four five six"}));
}

// Spans cut to one paragraph, counted from its start.
TEST(PairSideText, FindsTheSpansOfOneParagraph)
{
    const std::vector<TextSpan> spans{{2, 3}, {8, 4}, {20, 10}};
    const struct {
        int begin, end;
        std::vector<TextSpan> within;
    } cases[] = {
        {0, 2, {}},         {0, 10, {{2, 3}, {8, 2}}},
        {5, 8, {}},         {9, 25, {{0, 3}, {11, 5}}},
        {22, 24, {{0, 2}}}, {30, 40, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(spansWithin(spans, c.begin, c.end), c.within) << c.begin << ',' << c.end;
}

TEST(PairSideText, SaysWhereEachStretchStands)
{
    PairSide side;
    side.lines = {"a b c d e f"};
    side.stretches = {stretch(9, 4, 12, {4, 12}, 0, 0, 1, "a"),
                      stretch(9, 4, 12, {4, 14}, 0, 2, 3, "b"),
                      stretch(9, 4, 40, {5, 1}, 0, 4, 5, "c")};
    const PairSideText text(side);
    const struct {
        int stretch;
        const char *said;
    } cases[] = {
        {0, "Stretch 1 of 3, 9 words: page 4, line 12"},
        {1, "Stretch 2 of 3, 9 words: page 4, line 12 to line 14"},
        {2, "Stretch 3 of 3, 9 words: page 4, line 40 to page 5, line 1"},
        {-1, "3 shared stretches"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(text.placeText(c.stretch), QString::fromUtf8(c.said)) << c.stretch;
    EXPECT_EQ(PairSideText(PairSide{}).placeText(-1), QStringLiteral("No shared stretch"));
}

// Steps: n for next, p for previous; each followed by the stretch it reaches.
TEST(StretchCursor, GoesRoundAtEitherEnd)
{
    const struct {
        int count;
        const char *steps;
        std::vector<int> reached;
    } cases[] = {
        {3, "nnnn", {0, 1, 2, 0}}, {3, "p", {2}},       {3, "npp", {0, 2, 1}},
        {1, "nnp", {0, 0, 0}},     {0, "np", {-1, -1}},
    };
    for (const auto &c : cases) {
        StretchCursor cursor(c.count);
        EXPECT_EQ(cursor.current(), -1);
        std::vector<int> reached;
        for (const char *step = c.steps; *step; ++step)
            reached.push_back(*step == 'n' ? cursor.next() : cursor.previous());
        EXPECT_EQ(reached, c.reached) << c.count << ' ' << c.steps;
    }
}
