#include "QtPrinters.h"
#include "extract/ScannedPages.h"

#include <gtest/gtest.h>

using namespace orvanta;

// Finding the pages without text

TEST(ScannedPagesTest, PagesOfOnlyWhiteSpaceAreTheOnesWithoutText)
{
    EXPECT_EQ(pagesWithoutText("typed\n\f\f \t\r\n\v\fmore\n\f"), (std::vector<int>{2, 3}));
    EXPECT_EQ(pagesWithoutText("\f\f"), (std::vector<int>{1, 2}));
    EXPECT_EQ(pagesWithoutText(""), std::vector<int>{});
}

TEST(ScannedPagesTest, AnyOtherCharacterIsText)
{
    // A lone full stop or a no-break space (U+00A0) is something the converter found.
    EXPECT_EQ(pagesWithoutText(".\f\xc2\xa0\f\f"), (std::vector<int>{3}));
}

TEST(ScannedPagesTest, TextAfterTheLastFormFeedIsOneMorePage)
{
    EXPECT_EQ(pagesWithoutText("a\f  "), (std::vector<int>{2}));
    EXPECT_EQ(pagesWithoutText("\fb"), (std::vector<int>{1}));
}

// Putting recognised text in place

TEST(ScannedPagesTest, RecognisedTextTakesThePlaceOfItsPage)
{
    const std::map<int, QString> texts{{2, QStringLiteral("gelesen, Straße\n")},
                                       {3, QStringLiteral("third\n")}};
    EXPECT_EQ(replacePageTexts("one\n\f\f\n\ffour\n\f", texts),
              QByteArray("one\n\fgelesen, Stra\xc3\x9f"
                         "e\n\fthird\n\ffour\n\f"));
}

TEST(ScannedPagesTest, PagesThatDoNotExistAreIgnoredAndTheLastPageKeepsItsEnding)
{
    EXPECT_EQ(replacePageTexts("a\fb", {{2, QStringLiteral("B")}, {5, QStringLiteral("x")}}),
              QByteArray("a\fB"));
    EXPECT_EQ(replacePageTexts("\f", {{1, QStringLiteral("A\n")}}), QByteArray("A\n\f"));
}
