#include "Fixtures.h"
#include "QtPrinters.h"
#include "results/PhrasePage.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

// How much warmer than grey the rectangle is on average: marks are yellow to orange.
double warmth(const QImage &image, const QRect &area)
{
    double red = 0;
    double blue = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            red += qRed(image.pixel(x, y));
            blue += qBlue(image.pixel(x, y));
        }
    }
    return (red - blue) / double(area.width() * area.height());
}

} // namespace

TEST(PhrasePage, EveryPlaceOfThePhraseIsMarkedAndTheChosenOneFound)
{
    // text-a's first two lines both hold "the quick brown fox".
    const Result<PhrasePage> first =
        drawPhrasePage(fixture("text-a.pdf"), 1, QStringLiteral("the quick brown fox"), 0, 144);
    const Result<PhrasePage> second =
        drawPhrasePage(fixture("text-a.pdf"), 1, QStringLiteral("The QUICK brown fox"), 1, 144);
    ASSERT_TRUE(first.ok()) << first.error().toStdString();
    ASSERT_TRUE(second.ok()) << second.error().toStdString();
    EXPECT_EQ(first->marks, 2);
    EXPECT_NEAR(first->image.width(), 612 * 2, 2) << "a letter page at twice 72 dpi";
    EXPECT_GT(second->chosen.center().y(), first->chosen.bottom()) << "the second line";
    EXPECT_GT(warmth(first->image, first->chosen), 40);
    EXPECT_GT(warmth(first->image, second->chosen), 20) << "the other place is marked too";
}

TEST(PhrasePage, APhraseNotOnThePageLeavesThePageUnmarked)
{
    const Result<PhrasePage> drawn =
        drawPhrasePage(fixture("text-b.pdf"), 2, QStringLiteral("quick brown fox"), 0, 72);
    ASSERT_TRUE(drawn.ok()) << drawn.error().toStdString();
    EXPECT_EQ(drawn->marks, 0);
    EXPECT_TRUE(drawn->chosen.isEmpty());
    EXPECT_FALSE(drawn->image.isNull());
}

TEST(PhrasePage, APageThatCannotBeShownIsSaidWhy)
{
    const auto why = [](const char *file, int page) {
        return drawPhrasePage(fixture(file), page, QStringLiteral("the"), 0, 72).error();
    };
    EXPECT_EQ(why("user-password.pdf", 1),
              QStringLiteral("This page cannot be shown: %1 is protected by a password.")
                  .arg(fixture("user-password.pdf")));
    EXPECT_EQ(
        why("text-a.pdf", 2),
        QStringLiteral("This page cannot be shown: %1 has no page 2.").arg(fixture("text-a.pdf")));
    EXPECT_EQ(why("not-a-pdf.pdf", 1),
              QStringLiteral("This page cannot be shown: %1 cannot be opened as a PDF.")
                  .arg(fixture("not-a-pdf.pdf")));
}
