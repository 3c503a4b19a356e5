#include "FlakyClipboard.h"
#include "QtPrinters.h"
#include "results/ClipboardExport.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

using namespace orvanta;

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
