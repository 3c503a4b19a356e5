#include "QtPrinters.h"
#include "TestSupport.h"
#include "base/ErrorReport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orvanta;

namespace {

} // namespace

TEST(ErrorReport, MessageIsDescriptionTagLineAndSupportRequest)
{
    const ErrorReport report{
        QStringLiteral("Subscript out of range"),
        locationTag(QStringLiteral("Form1"), QStringLiteral("PushButton7_Click")), 104};
    EXPECT_EQ(
        report.message(),
        QStringLiteral("Subscript out of range\r\nin Quorvel2021/08/31.Form1.PushButton7_Click "
                       "at line 104\r\rPlease email screenshot of this message to ") +
            QLatin1String(kSupportAddress));
}

TEST(ErrorReport, LocationTagsUseTheirModulePrefix)
{
    EXPECT_EQ(locationTag(QStringLiteral("Main"), QStringLiteral("NoTextPDF")),
              QStringLiteral("in Quorvel2021/08/31.Main.NoTextPDF "));
    EXPECT_EQ(locationTag(QStringLiteral("AddFolder"), QStringLiteral("GetSubDirectories2016")),
              QStringLiteral("in CorvelTitle2021/08/31.AddFolder.GetSubDirectories2016 "));
}

TEST(TrappedOperation, EachFailingStepIsReportedAndLaterStepsStillRun)
{
    RecordingSink sink;
    TrappedOperation operation(QStringLiteral("in Test.Op "), sink);
    std::vector<int> ran;

    EXPECT_TRUE(operation.step([&] { ran.push_back(100); }));
    EXPECT_FALSE(operation.step([&] { throw OperationError(QStringLiteral("first")); }));
    EXPECT_TRUE(operation.step([&] { ran.push_back(104); }));
    EXPECT_FALSE(operation.step([&] { throw std::out_of_range("second"); }));
    EXPECT_TRUE(operation.step([&] { ran.push_back(108); }));

    EXPECT_EQ(ran, (std::vector<int>{100, 104, 108}));
    ASSERT_EQ(sink.reports.size(), 2u);
    EXPECT_EQ(sink.reports[0].description, QStringLiteral("first"));
    EXPECT_EQ(sink.reports[0].line, 102);
    EXPECT_EQ(sink.reports[0].locationTag, QStringLiteral("in Test.Op "));
    EXPECT_EQ(sink.reports[1].description, QStringLiteral("second"));
    EXPECT_EQ(sink.reports[1].line, 106);
}
