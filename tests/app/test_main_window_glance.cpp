// The window a person works in: its size, what a run counted at a glance, names that keep their
// end, the keyboard, Stop, the help, and projects saved and opened again.

#include "MainWindowFixture.h"
#include "QtPrinters.h"
#include "app/ElidedLabel.h"
#include "app/ExplorerWindow.h"
#include "app/ProjectFile.h"
#include "app/RunSummary.h"
#include "app/WholeNameTips.h"
#include "results/ResultsFilterModel.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolTip>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

QString tipAt(QAbstractItemView *view, const QModelIndex &index)
{
    const QPoint at = view->visualRect(index).center();
    QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &help);
    return QToolTip::text();
}

} // namespace

TEST_F(MainWindowTest, TheFirstStartUsesTheScreenAndTheSizeIsRememberedAfter)
{
    MainWindow &first = open();
    const QSize screen = first.screen()->availableSize();
    EXPECT_EQ(first.size(),
              firstStartSize(first.designedSize(), screen).expandedTo(first.minimumSize()));
    first.resize(first.minimumSize() + QSize(37, 41));
    first.close();
    EXPECT_EQ(open().size(), m_window->minimumSize() + QSize(37, 41));
}

TEST_F(MainWindowTest, AfterACountTheSummarySaysWhatWasCountedAndTheStatusLineIsNeverCut)
{
    open();
    lengthBox(4)->click();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    auto *summary = child<QLabel>(objects::kRunSummary);
    EXPECT_TRUE(summary->text().startsWith(u"2 files counted, ")) << summary->text().toStdString();
    EXPECT_TRUE(summary->text().contains(u", 4 phrases listed in "));
    m_window->results().removeRowAt(0);
    EXPECT_TRUE(summary->text().contains(u", 3 phrases listed in "));
    child<QPushButton>(objects::kClearResultsButton)->click();
    EXPECT_EQ(summary->text(), QString());

    auto *status = qobject_cast<ElidedLabel *>(child<QLabel>(objects::kStatusLine));
    ASSERT_NE(status, nullptr);
    const QString whole = QStringLiteral("Text options: joins wrapped lines, rejoins hyphenated "
                                         "words, drops running heads, punctuation ignored, compat");
    status->setText(whole);
    status->resize(120, status->height());
    EXPECT_TRUE(status->isElided());
    EXPECT_TRUE(status->shownText().endsWith(u"compat"));
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), status->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(status, &help);
    EXPECT_EQ(QToolTip::text(), whole);
}

TEST_F(MainWindowTest, ALongNameKeepsItsEndAndShowsWholeAsItsTooltip)
{
    open();
    auto *list = child<QTreeWidget>(objects::kInputList);
    const QString name =
        QStringLiteral("/cases/auto-multiple-choice/%1/known-300.ja.pdf (read by OCR)")
            .arg(QString(200, u'x'));
    list->addTopLevelItem(new QTreeWidgetItem(QStringList{name}));
    EXPECT_EQ(tipAt(list, list->model()->index(0, 0)), name);
}

TEST_F(MainWindowTest, KeysAddFilesOpenTheExplorerOnTheFirstRowAndEscClosesIt)
{
    open();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    m_dialogs.openResults.push_back({});
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_FALSE(m_dialogs.shown.empty());
    EXPECT_EQ(m_dialogs.shown.back().kind, QStringLiteral("open"));

    lengthBox(4)->click();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    auto *results = child<QTreeView>(objects::kResultsList);
    results->setCurrentIndex({});
    QTest::keyClick(results, Qt::Key_Return);
    ExplorerWindow *explorer = m_window->explorer();
    ASSERT_NE(explorer, nullptr);
    auto *shown = explorer->findChild<QTreeView *>(QStringLiteral("ExplorerList"));
    EXPECT_EQ(explorer->model().phraseAt(shown->currentIndex().row()),
              m_window->results().cellText(0, 0).trimmed());
    QApplication::setActiveWindow(explorer); // the platform offscreen leaves activation to us
    QTest::keyClick(explorer, Qt::Key_Escape);
    EXPECT_FALSE(explorer->isVisible());
}

TEST_F(MainWindowTest, StopShowsWhileARunIsUnderWayAndStopsIt)
{
    open();
    lengthBox(4)->click();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    auto *stop = child<QPushButton>(objects::kStopButton);
    EXPECT_FALSE(stop->isVisible());
    child<QPushButton>(objects::kCountButton)->click();
    EXPECT_TRUE(stop->isVisible());
    stop->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_window->isCounting(); }, 60000));
    EXPECT_FALSE(stop->isVisible());
}

TEST_F(MainWindowTest, TheHelpTellsOfOcrTheTextOptionsAndTheExplorer)
{
    open();
    child<QPushButton>(objects::kHelpButton)->click();
    const QString help = m_dialogs.messages().last();
    EXPECT_TRUE(help.startsWith(u"This program will:\r\rextract text from a PDF."));
    EXPECT_TRUE(help.contains(u"Tick \"Read scanned pages with OCR\""));
    EXPECT_TRUE(help.contains(u"\"Explore Results\" opens the explorer"));
}

TEST_F(MainWindowTest, AProjectBringsBackTheListTheChoicesTheResultsAndTheExplorer)
{
    open();
    lengthBox(4)->click();
    child<QLineEdit>(objects::kExtraLengths)->setText(QStringLiteral("7"));
    const QStringList files{fixture("text-b.pdf"), fixture("text-a.pdf")};
    addFiles(files);
    auto *inputs = child<QTreeWidget>(objects::kInputList);
    inputs->setCurrentItem(inputs->topLevelItem(0));
    m_window->findChild<QAction *>(QStringLiteral("MarkAsReferenceAction"))->trigger();
    count();
    m_window->results().setTicked(0, true);
    m_window->results().removeRowAt(1);
    const QStringList rows = resultTexts();
    m_window->openExplorer();
    const ExplorerState explored{QStringLiteral("the"), false, 3, 1, 2, true};
    m_window->explorer()->setState(explored);
    const QString path = m_tmp.filePath(QStringLiteral("session.orvanta"));
    ASSERT_TRUE(m_window->saveProject(path));

    QFile::remove(m_settingsFile); // a start as on another day: nothing stored
    open();
    QSignalSpy opened(m_window.get(), &MainWindow::projectOpened);
    ASSERT_TRUE(m_window->openProject(path));
    ASSERT_TRUE(opened.count() > 0 || opened.wait(60000));
    EXPECT_EQ(m_window->inputFiles(), files);
    const QTreeWidget *listed = child<QTreeWidget>(objects::kInputList);
    EXPECT_EQ(listed->topLevelItem(0)->data(0, kCellNoteRole).toString(), "(reference)");
    EXPECT_EQ(listed->topLevelItem(1)->data(0, kCellNoteRole).toString(), QString());
    EXPECT_TRUE(lengthBox(4)->isChecked());
    EXPECT_EQ(child<QLineEdit>(objects::kExtraLengths)->text(), QStringLiteral("7"));
    EXPECT_EQ(resultTexts(), rows);
    EXPECT_TRUE(m_window->results().isTicked(0));
    EXPECT_FALSE(m_window->results().isTicked(1));
    m_window->openExplorer();
    EXPECT_EQ(m_window->explorer()->state(), explored);
    EXPECT_FALSE(m_window->explorer()
                     ->findChild<QTreeView *>(QStringLiteral("ExplorerList"))
                     ->isColumnHidden(ResultsFilterModel::LogLikelihoodColumn))
        << "the reference set is compared again";

    QFile damaged(m_tmp.filePath(QStringLiteral("damaged.orvanta")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{\"format\": \"orvanta-project\", \"version\": 1, \"files\": 7}");
    damaged.close();
    EXPECT_FALSE(m_window->openProject(damaged.fileName()));
    EXPECT_TRUE(m_dialogs.messages().last().contains(u"is damaged"));
    EXPECT_EQ(m_window->inputFiles(), files) << "nothing changes";
    EXPECT_EQ(resultTexts(), rows);
}
