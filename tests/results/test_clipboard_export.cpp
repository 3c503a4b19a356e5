#include "ExportTestHost.h"
#include "QtPrinters.h"
#include "results/ClipboardExport.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

// A clipboard that refuses the first attempts of each operation and records the rest.
class FlakyClipboard final : public ClipboardAccess {
public:
    bool clear() override
    {
        ++clearAttempts;
        calls << QStringLiteral("clear");
        return clearAttempts > clearRefusals;
    }
    bool setText(const QString &text) override
    {
        ++setAttempts;
        calls << QStringLiteral("set:") + text;
        return setAttempts > setRefusals;
    }

    int clearRefusals = 0;
    int setRefusals = 0;
    int clearAttempts = 0;
    int setAttempts = 0;
    QStringList calls;
};

const QString kConfirmation =
    QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where you "
                   "normally type and press Ctrl+V to paste the clipboard.");

} // namespace

TEST(ClipboardRetry, StopsAtTheFirstSuccessWithinAThousandAttempts)
{
    FlakyClipboard clipboard;
    clipboard.clearRefusals = 5;
    clipboard.setRefusals = 999;

    clearClipboardWithRetry(clipboard);
    EXPECT_EQ(clipboard.clearAttempts, 6);
    EXPECT_TRUE(setClipboardTextWithRetry(clipboard, QStringLiteral("x")));
    EXPECT_EQ(clipboard.setAttempts, 1000);
}

TEST(ClipboardRetry, GivesUpAfterAThousandAttempts)
{
    FlakyClipboard clipboard;
    clipboard.clearRefusals = 5000;
    clipboard.setRefusals = 5000;

    clearClipboardWithRetry(clipboard);
    EXPECT_EQ(clipboard.clearAttempts, 1000);
    EXPECT_FALSE(setClipboardTextWithRetry(clipboard, QStringLiteral("x")));
    EXPECT_EQ(clipboard.setAttempts, 1000);
}

class CopyResultsTest : public ::testing::Test {
protected:
    void copy() { copyResultsToClipboard(m_model, m_clipboard, m_window.host(), kTestTag); }

    void expectOnlyMessage(const QString &text)
    {
        ASSERT_EQ(m_window.dialogs.shown.size(), 1u);
        EXPECT_EQ(m_window.dialogs.shown[0].kind, QStringLiteral("message"));
        EXPECT_EQ(m_window.dialogs.shown[0].text, text);
        EXPECT_EQ(m_window.dialogs.shown[0].title, kTestTitle);
        EXPECT_EQ(m_window.dialogs.shown[0].icon, DialogService::Icon::None);
        EXPECT_TRUE(m_window.pointerModes.empty());
        EXPECT_TRUE(m_window.reports.empty());
    }

    ResultsModel m_model;
    FlakyClipboard m_clipboard;
    ExportTestHost m_window;
};

// Emptying the clipboard and then saying the rows were copied would lose what the user had
// copied and report a failure as success.
TEST_F(CopyResultsTest, WithNothingTickedTheClipboardIsLeftAloneAndTheUserIsTold)
{
    copy();
    EXPECT_TRUE(m_clipboard.calls.isEmpty());
    expectOnlyMessage(QLatin1String(kNothingTicked));

    m_window.dialogs.shown.clear();
    fillResults(m_model, {{"a b", 2, 2, false}});
    copy();
    EXPECT_TRUE(m_clipboard.calls.isEmpty());
    expectOnlyMessage(QLatin1String(kNothingTicked));
}

TEST_F(CopyResultsTest, TickedRowsAreSetAfterClearingAndARefusingClipboardIsNotReported)
{
    fillResults(m_model, {{"a b", 2, 2, true}, {"c d", 2, 14, false}});
    m_clipboard.setRefusals = 2;
    copy();
    const QString set = QStringLiteral("set: a b\t2\t2\r\n");
    EXPECT_EQ(m_clipboard.calls, (QStringList{QStringLiteral("clear"), set, set, set}));
    expectOnlyMessage(kConfirmation);

    m_window.dialogs.shown.clear();
    m_clipboard.setRefusals = 100000;
    copy();
    expectOnlyMessage(kConfirmation);
}

TEST(SystemClipboard, PlacesThePlainTextOnTheDesktopClipboard)
{
    QClipboard *desktop = QGuiApplication::clipboard();
    SystemClipboard clipboard(*desktop);
    const QString text = QStringLiteral(" eins zwei\t2\t3\r\n \u00fcber\t1\t22\r\n");

    EXPECT_TRUE(setClipboardTextWithRetry(clipboard, text));
    EXPECT_EQ(desktop->text(), text);
    clearClipboardWithRetry(clipboard);
    EXPECT_TRUE(desktop->text().isEmpty());
}
