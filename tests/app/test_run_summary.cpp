#include "QtPrinters.h"
#include "app/RunSummary.h"

#include <gtest/gtest.h>

using namespace orvanta;

TEST(RunSummary, SaysWhatWasCountedInWords)
{
    const struct {
        RunSummary summary;
        const char *text;
    } cases[] = {
        {{12, 345678, 1234, 3240},
         "12 files counted, 345,678 words, 1,234 phrases listed in 3.2 s"},
        {{1, 1, 1, 0}, "1 file counted, 1 word, 1 phrase listed in 0.0 s"},
        {{0, 0, 0, 59'949}, "0 files counted, 0 words, 0 phrases listed in 59.9 s"},
        {{3, 10, 2, 125'400}, "3 files counted, 10 words, 2 phrases listed in 2 min 05 s"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(runSummaryText(c.summary), QLatin1String(c.text));
}

TEST(RunSummary, TheFirstStartUsesTwoThirdsOfTheScreensHeightWithinTheScreen)
{
    const QSize designed(1065, 515);
    const struct {
        QSize available;
        QSize expected;
    } cases[] = {
        {{1280, 994}, {1065, 662}}, // the lists take the height above the designed
        {{1024, 740}, {1024, 515}}, // two thirds would be below the designed height
        {{1920, 1050}, {1065, 700}},
        {{800, 500}, {800, 500}}, // smaller than designed: the screen's
    };
    for (const auto &c : cases)
        EXPECT_EQ(firstStartSize(designed, c.available), c.expected) << c.available.height();
}
