#include "QtPrinters.h"
#include "results/ClosedPhrases.h"
#include "results/ListRefinement.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <vector>

using namespace orvanta;

namespace {

using Ids = std::vector<std::uint32_t>;

PhraseResults sample()
{
    PhraseResults results;
    results.append("the number", 2, 3, 1);      // 0: inside 1 with the same frequency
    results.append("the number of", 3, 3, 1);   // 1
    results.append("of the", 2, 5, 2);          // 2: stop words only
    results.append("number of pages", 3, 2, 1); // 3
    results.append(". . . .", 4, 9, 3);         // 4: no letter word
    results.append("see . . . .", 5, 2, 1);     // 5: one letter word in five
    return results;
}

} // namespace

TEST(ListRefinement, EachChoiceHidesItsRowsAndCountsThem)
{
    const PhraseResults results = sample();
    Ids all(size_t(results.size()));
    std::iota(all.begin(), all.end(), 0u);
    const std::vector<bool> insideLonger = phrasesInsideLonger(all, results);
    const auto stopWords = std::make_shared<const StopWords>(StopWords::fromText("of the it is"));

    const auto refinement = [&](bool closed, StopWordMode mode, double share) {
        return ListRefinement{closed, stopWords, mode, share};
    };
    const struct {
        const char *name;
        ListRefinement refinement;
        Ids shown;
        HiddenRows hidden;
    } cases[] = {
        {"off", {}, all, {}},
        {"inside longer", refinement(true, StopWordMode::Off, 0), {1, 2, 3, 4, 5}, {1, 0, 0}},
        {"only stop words",
         refinement(false, StopWordMode::OnlyStopWords, 0),
         {0, 1, 3, 4, 5},
         {0, 1, 0}},
        {"stop word at an edge",
         refinement(false, StopWordMode::StopWordAtEdge, 0),
         {3, 4, 5},
         {0, 3, 0}},
        {"letter share", refinement(false, StopWordMode::Off, 0.5), {0, 1, 2, 3}, {0, 0, 2}},
        {"all at once", refinement(true, StopWordMode::OnlyStopWords, 0.5), {1, 3}, {1, 1, 2}},
        {"a mode without words",
         ListRefinement{false, nullptr, StopWordMode::StopWordAtEdge, 0},
         all,
         {}},
    };
    for (const auto &c : cases) {
        const RefinedRows refined = refineResults(all, results, c.refinement, insideLonger);
        EXPECT_EQ(refined.shown, c.shown) << c.name;
        EXPECT_EQ(refined.hidden, c.hidden) << c.name;
        EXPECT_EQ(refined.shown.size() + size_t(refined.hidden.insideLonger) +
                      size_t(refined.hidden.stopWords) + size_t(refined.hidden.fewLetterWords),
                  all.size())
            << c.name;
    }
}

TEST(ListRefinement, KeepsTheOrderGivenAndIsOffOnlyWhenItHidesNothing)
{
    const PhraseResults results = sample();
    const Ids reversed{5, 4, 3, 2, 1, 0};
    const ListRefinement letters{false, nullptr, StopWordMode::Off, 0.5};
    EXPECT_EQ(refineResults(reversed, results, letters, {}).shown, (Ids{3, 2, 1, 0}));

    EXPECT_TRUE(ListRefinement{}.isOff());
    EXPECT_TRUE((ListRefinement{false, nullptr, StopWordMode::OnlyStopWords, 0}).isOff());
    EXPECT_FALSE(letters.isOff());
    EXPECT_FALSE((ListRefinement{true, nullptr, StopWordMode::Off, 0}).isOff());
}

TEST(ListRefinement, HiddenRowsAreNamedByWhatHidThem)
{
    const struct {
        HiddenRows hidden;
        const char *text;
    } cases[] = {
        {{}, ""},
        {{2, 0, 0}, "2 inside longer ones hidden"},
        {{1, 12, 0}, "1 inside longer ones, 12 of stop words hidden"},
        {{0, 0, 7}, "7 mostly without letters hidden"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(hiddenRowsText(c.hidden), QLatin1String(c.text));
}
