#include "results/LetterShare.h"

#include <gtest/gtest.h>

using namespace orvanta;

TEST(LetterShare, PassagesMostlyWithoutLetterWordsAreHiddenAndCounted)
{
    PhraseResults passages;
    for (const char *text : {". . . . . . . . 12", "the end of it all . . . .", "1 2 3 4 5 6 7 8",
                             "see table 3 on page 12 for 4 5", "the number of the beast is 666"})
        passages.append(text, 8, 2);
    const std::vector<std::uint32_t> ids{4, 3, 2, 1, 0};
    struct Case {
        double share;
        std::vector<std::uint32_t> shown;
    };
    for (const Case &c : {Case{kDefaultLetterWordShare, {4, 3, 1}}, Case{0.0, {4, 3, 2, 1, 0}},
                          Case{0.9, {}}, Case{0.8, {4}}}) {
        const PassagesByLetterShare result = passagesWithLetterShare(ids, passages, c.share);
        EXPECT_EQ(result.shown, c.shown) << c.share;
        EXPECT_EQ(result.hidden, qsizetype(ids.size() - c.shown.size())) << c.share;
    }
}
