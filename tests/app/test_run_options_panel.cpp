#include "QtPrinters.h"
#include "app/RunOptionsPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

class RunOptionsPanelTest : public ::testing::Test {
protected:
    RunOptionsPanel &make(const QStringList &installed)
    {
        m_panel = new RunOptionsPanel(
            &m_window, [](const QRect &designed) { return designed; }, 0, installed);
        return *m_panel;
    }

    QAction *language(const char *code)
    {
        for (QAction *action : menu()->actions()) {
            if (action->text() == QLatin1String(code))
                return action;
        }
        return nullptr;
    }

    QMenu *menu() { return m_window.findChild<QMenu *>(QStringLiteral("RecognitionLanguageMenu")); }
    QString buttonText()
    {
        return m_window.findChild<QToolButton *>(QStringLiteral("RecognitionLanguages"))->text();
    }

    QWidget m_window;
    RunOptionsPanel *m_panel = nullptr;
};

} // namespace

TEST_F(RunOptionsPanelTest, TickedBoxesAndLanguagesMakeThePreferences)
{
    RunOptionsPanel &panel = make({QStringLiteral("deu"), QStringLiteral("eng")});
    QSignalSpy changed(&panel, &RunOptionsPanel::changed);
    m_window.findChild<QCheckBox *>(QStringLiteral("DropRunningHeads"))->click();
    m_window.findChild<QCheckBox *>(QStringLiteral("WordsNeedLetters"))->click();
    m_window.findChild<QCheckBox *>(QStringLiteral("ReadScannedPages"))->click();
    language("deu")->trigger();
    m_window.findChild<QSpinBox *>(QStringLiteral("MemoryLimit"))->setValue(512);

    RunPreferences expected;
    expected.memoryLimitMiB = 512;
    expected.text.dropRunningHeads = true;
    expected.text.wordsNeedLetters = true;
    expected.readScannedPages = true;
    expected.languages = {QStringLiteral("deu"), QStringLiteral("eng")};
    EXPECT_EQ(panel.preferences(), expected);
    EXPECT_EQ(buttonText(), QStringLiteral("deu+eng"));
    EXPECT_EQ(changed.count(), 5);
}

TEST_F(RunOptionsPanelTest, TheLastTickedLanguageCannotBeUnticked)
{
    RunOptionsPanel &panel = make({QStringLiteral("deu"), QStringLiteral("eng")});
    QSignalSpy changed(&panel, &RunOptionsPanel::changed);
    language("eng")->trigger();
    EXPECT_TRUE(language("eng")->isChecked());
    EXPECT_EQ(panel.preferences().languages, QStringList{QStringLiteral("eng")});
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(RunOptionsPanelTest, RestoredChoicesShowWithoutAChangeAndAMissingLanguageIsOffered)
{
    RunOptionsPanel &panel = make({QStringLiteral("eng")});
    QSignalSpy changed(&panel, &RunOptionsPanel::changed);
    RunPreferences stored;
    stored.text.joinWrappedLines = true;
    stored.languages = {QStringLiteral("fra")};
    stored.memoryLimitMiB = 1024;
    panel.setPreferences(stored);

    EXPECT_EQ(panel.preferences(), stored);
    EXPECT_TRUE(m_window.findChild<QCheckBox *>(QStringLiteral("JoinWrappedLines"))->isChecked());
    ASSERT_NE(language("fra"), nullptr);
    EXPECT_TRUE(language("fra")->isChecked());
    EXPECT_FALSE(language("eng")->isChecked());
    EXPECT_EQ(changed.count(), 0);
}
