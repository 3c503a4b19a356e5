// The one flow every window's export goes through: where, whether to replace, writing on a
// background job, and how a failure is told.

#include "QtPrinters.h"
#include "ScriptedDialogService.h"
#include "TestSupport.h"
#include "app/ExportFlow.h"
#include "results/ExportRows.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

const QString kTitle = QStringLiteral("Orvanta");

struct PathCase {
    const char *name;
    const char *typed;  // in the save dialog; empty: cancelled
    const char *suffix; // added when none was typed
    bool exists;        // a file of the path there is already
    bool replace;       // the answer to the question then
    const char *chosen; // empty: nothing is written
};

class ExportFlowPathTest : public ::testing::TestWithParam<PathCase> {
protected:
    QTemporaryDir m_dir;
    ScriptedDialogService m_dialogs;
    ExportFlow m_flow{m_dialogs, kTitle};
};

std::shared_ptr<ExportRows> someRows()
{
    auto results = std::make_shared<PhraseResults>();
    results->append("a b", 2, 2, 1);
    results->append(std::string(40000, 'w'), 1, 2, 1);
    return std::make_shared<ResultRows>(results, std::vector<std::uint32_t>{0, 1});
}

// Writes and waits for the flow to end; gives what `done` was told.
ExportFlow::Outcome writeAndWait(ExportFlow &flow, const QString &path, ExportFlow::Format format,
                                 const ExportFlow::Reporting &reporting)
{
    ExportFlow::Outcome outcome;
    bool ended = false;
    EXPECT_TRUE(
        flow.start(path, someRows(), format, reporting, [&](const ExportFlow::Outcome &told) {
            outcome = told;
            ended = true;
        }));
    EXPECT_FALSE(flow.start(path, someRows(), format, reporting, {})) << "one write at a time";
    EXPECT_TRUE(QTest::qWaitFor([&] { return ended; }, 30000));
    return outcome;
}

} // namespace

TEST_P(ExportFlowPathTest, AsksWhereAndWhetherToReplace)
{
    const PathCase &c = GetParam();
    const QString typed = *c.typed ? m_dir.filePath(QLatin1String(c.typed)) : QString();
    m_dialogs.saveResults.push_back(typed);
    if (c.exists) {
        writeFile(m_dir.filePath(QLatin1String(c.typed)), "old");
        m_dialogs.answers.push_back(c.replace);
    }

    const QString chosen = m_flow.askPath(
        QStringLiteral("Export"), QStringLiteral("CSV Files (*.csv)"), QLatin1String(c.suffix));
    EXPECT_EQ(chosen, *c.chosen ? m_dir.filePath(QLatin1String(c.chosen)) : QString());
    ASSERT_FALSE(m_dialogs.shown.empty());
    EXPECT_EQ(m_dialogs.shown[0].title, QStringLiteral("Export"));
    EXPECT_EQ(m_dialogs.shown[0].text, QStringLiteral("CSV Files (*.csv)"));
    ASSERT_EQ(m_dialogs.shown.size(), c.exists ? 2u : 1u);
    if (c.exists) {
        EXPECT_EQ(m_dialogs.shown[1].kind, QStringLiteral("question"));
        EXPECT_EQ(m_dialogs.shown[1].title, kTitle);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExportFlowPathTest,
    ::testing::Values(
        PathCase{"ANewFile", "shown.csv", "csv", false, false, "shown.csv"},
        PathCase{"TheSuffixIsAddedWhenNoneIsTyped", "shown", "csv", false, false, "shown.csv"},
        PathCase{"ANameIsUsedAsTypedWithoutASuffixToAdd", "shown", "", false, false, "shown"},
        PathCase{"AFileThereIsReplacedOnYes", "shown.csv", "csv", true, true, "shown.csv"},
        PathCase{"AFileThereIsKeptOnNo", "shown.csv", "csv", true, false, ""},
        PathCase{"ACancelledDialogChoosesNothing", "", "csv", false, false, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ExportFlow, AFailureIsAWarningUnlessAnErrorSinkTakesItUnderItsTag)
{
    QTemporaryDir dir;
    ScriptedDialogService dialogs;
    RecordingSink errors;
    ExportFlow flow(dialogs, kTitle);
    const QString missing = dir.filePath(QStringLiteral("missing/out.csv"));

    EXPECT_FALSE(writeAndWait(flow, missing, ExportFlow::Format::Csv, {}).written);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Warning);
    EXPECT_EQ(dialogs.shown[0].title, kTitle);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(QStringLiteral("Cannot create ") + missing));

    const ExportFlow::Outcome outcome = writeAndWait(flow, missing, ExportFlow::Format::Csv,
                                                     {&errors, QStringLiteral("in Test.Export ")});
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.path, missing);
    ASSERT_EQ(errors.reports.size(), 1u);
    EXPECT_EQ(errors.reports[0].locationTag, QStringLiteral("in Test.Export "));
    EXPECT_EQ(errors.reports[0].line, 102);
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

// The workbook is written, and the cell it could not hold is told.
TEST(ExportFlow, ACellLeftEmptyIsToldAndTheFileIsWritten)
{
    ScopedTmpdir tmp;
    ScriptedDialogService dialogs;
    ExportFlow flow(dialogs, kTitle);
    const QString path = tmp.filePath(QStringLiteral("shown.xlsx"));
    const ExportFlow::Outcome outcome = writeAndWait(flow, path, ExportFlow::Format::Workbook, {});
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.rows, 2);
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages()[0].startsWith(QStringLiteral("Cell A3 was left empty")));
}
