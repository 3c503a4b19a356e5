#include "ExportTestHost.h"
#include "QtPrinters.h"
#include "TextTableModel.h"
#include "results/ClipboardText.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

QString textOf(const QAbstractItemModel &list)
{
    return clipboardText(list).value_or(QStringLiteral("<nothing>"));
}

} // namespace

// Two ticked rows: a 10-character phrase cell, 3 words, 12 times; an 8-character one, 2 words,
// 5 times. Widths 10, 1 and 2; the space that would pad the 5 is trimmed.
TEST(ClipboardText, WorkedExample)
{
    ResultsModel model;
    fillResults(model, {{"ab cde fg", 3, 12, true}, {"ab cdef", 2, 5, true}});

    EXPECT_EQ(textOf(model), QStringLiteral(" ab cde fg\t3\t12\r\n ab cdef  \t2\t5\r\n"));
}

TEST(ClipboardText, LongUntickedRowStillWidensItsColumns)
{
    ResultsModel model;
    fillResults(
        model,
        {{"a b", 2, 7, true}, {"a much longer phrase", 12, 1234, false}, {"c d", 2, 31, true}});

    EXPECT_EQ(textOf(model), QStringLiteral(" a b                 \t2 \t7\r\n"
                                            " c d                 \t2 \t31\r\n"));
}

TEST(ClipboardText, UntickedRowsLeaveNoLineAndNoGap)
{
    ResultsModel model;
    fillResults(model, {{"x y", 2, 2, false}, {"p q", 2, 3, true}, {"r s", 2, 4, false}});

    EXPECT_EQ(textOf(model), QStringLiteral(" p q\t2\t3\r\n"));
}

TEST(ClipboardText, NoTickedRowGivesNothing)
{
    ResultsModel model;
    EXPECT_FALSE(clipboardText(model).has_value());

    fillResults(model, {{"x y", 2, 2, false}, {"p q", 2, 3, false}});
    EXPECT_FALSE(clipboardText(model).has_value());
}

TEST(ClipboardText, LinesEndWithoutTrailingSpacesAndTabsInsideStay)
{
    TextTableModel list(
        {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")},
        {{{QStringLiteral("x"), QStringLiteral("yy"), QString()}, true},
         {{QStringLiteral("wide"), QStringLiteral("\"q\""), QStringLiteral("zz ")}, true},
         {{QStringLiteral("s"), QStringLiteral("t"), QStringLiteral("u")}, true}});

    // Widths 4, 3, 3. Row 1's empty last cell leaves its tab; quotes are copied as they are.
    EXPECT_EQ(textOf(list), QStringLiteral("x   \tyy \t\r\n"
                                           "wide\t\"q\"\tzz\r\n"
                                           "s   \tt  \tu\r\n"));
}
