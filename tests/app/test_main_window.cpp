#include "FakeConverter.h"
#include "MainWindowFixture.h"
#include "QtPrinters.h"
#include "app/ExplorerWindow.h"
#include "app/MainWindow.h"
#include "app/RunPreferences.h"
#include "base/ProgramInfo.h"
#include "base/SettingsStore.h"
#include "results/DesktopOpener.h"
#include "results/ResultsFilterModel.h"
#include "results/ResultsModel.h"
#include "run/CountingRun.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace orvanta;

// Start-up and preferences

TEST_F(MainWindowTest, FirstStartUpShowsEverythingClearAndReplacesTheDesignText)
{
    MainWindow &window = open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Orvanta"));
    EXPECT_FALSE(child<QCheckBox>(objects::kPromptForPassword)->isChecked());
    for (int length = 2; length <= 19; ++length)
        EXPECT_FALSE(lengthBox(length)->isChecked()) << length;
    EXPECT_EQ(child<QLineEdit>(objects::kExtraLengths)->text(), QString());
    EXPECT_EQ(child<QTreeWidget>(objects::kInputList)->headerItem()->text(0),
              QStringLiteral("PDF File(s)"));
    EXPECT_EQ(window.results().headerText(1), QStringLiteral(" Word Count"));
    EXPECT_TRUE(m_dialogs.shown.empty());
}

TEST_F(MainWindowTest, PreferencesAreStoredAsTheyChangeAndRestoredAtTheNextStart)
{
    open();
    lengthBox(10)->click();
    child<QCheckBox>(objects::kPromptForPassword)->click();
    QTest::keyClicks(child<QLineEdit>(objects::kExtraLengths), QStringLiteral("20, 21"));

    open();
    EXPECT_TRUE(lengthBox(10)->isChecked());
    EXPECT_FALSE(lengthBox(2)->isChecked());
    EXPECT_TRUE(child<QCheckBox>(objects::kPromptForPassword)->isChecked());
    EXPECT_EQ(child<QLineEdit>(objects::kExtraLengths)->text(), QStringLiteral("20, 21"));
    EXPECT_EQ(m_settings->readText(QStringLiteral("Phrases8")), QStringLiteral("1"));
    EXPECT_EQ(m_settings->readText(QStringLiteral("Check2")), QStringLiteral("1"));
}

TEST_F(MainWindowTest, TickedTextOptionsAndOcrReachTheCountingRun)
{
    open();
    lengthBox(4)->click();
    child<QCheckBox>("IgnorePunctuation")->click();
    child<QCheckBox>("WordsNeedLetters")->click();
    child<QCheckBox>("ReadScannedPages")->click();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf"),
              QStringLiteral(ORVANTA_SCAN_DIR "/scan-300.pdf")});
    count();
    const QStringList rows = resultTexts();
    EXPECT_TRUE(rows.contains(QStringLiteral(" the fox goes home|4|2")))
        << rows.join(QLatin1Char('\n')).toStdString();
    // Three times typed, once on the scanned page.
    EXPECT_TRUE(rows.contains(QStringLiteral(" the quick brown fox|4|4")))
        << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(
        child<QLabel>(objects::kStatusLine)->text(),
        QStringLiteral("Text options: punctuation ignored, words need a letter or digit. Scanned "
                       "pages read with OCR (eng)."));

    open(); // the choices are kept for the next start
    EXPECT_TRUE(child<QCheckBox>("IgnorePunctuation")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("WordsNeedLetters")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("ReadScannedPages")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("JoinWrappedLines")->isChecked());
}

TEST_F(MainWindowTest, TheAboutButtonNamesTheProgramItsVersionAndLicence)
{
    open();
    child<QPushButton>(objects::kAboutButton)->click();
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_EQ(m_dialogs.shown[0].kind, QStringLiteral("about"));
    EXPECT_EQ(m_dialogs.shown[0].title, QStringLiteral("About Orvanta"));
    EXPECT_TRUE(m_dialogs.shown[0].text.startsWith(QStringLiteral("Orvanta ") + programVersion()));
    EXPECT_TRUE(m_dialogs.shown[0].text.contains(QStringLiteral("GPL-3.0-or-later")));
    EXPECT_TRUE(m_dialogs.shown[0].text.contains(QStringLiteral("Qt ") + qVersion()));
    EXPECT_TRUE(m_dialogs.shown[0].text.contains(QStringLiteral("poppler ")));
    EXPECT_TRUE(m_dialogs.shown[0].text.contains(QStringLiteral("libxlsxwriter ")));
}

// The texts of confidential documents do not outlive the window.
TEST_F(MainWindowTest, ClosingRemovesTheConvertedTexts)
{
    open();
    addFiles({fixture("text-a.pdf")});
    ASSERT_EQ(m_window->textStore().conversions(), 1);
    ASSERT_EQ(privateFolderEntries().size(), 1) << "the window's own folder";
    m_window->close();
    EXPECT_TRUE(privateFolderEntries().isEmpty());
}

TEST_F(MainWindowTest, AMissingConverterIsSaidOnceAtStartUp)
{
    const NoConverter none;
    open();
    EXPECT_EQ(m_dialogs.messages(), QStringList{QLatin1String(kConverterMissing)});
}

TEST_F(MainWindowTest, ASkinFileIsAppliedAsAStyleSheet)
{
    QTemporaryDir appDir;
    QDir(appDir.path()).mkdir(QStringLiteral("x"));
    QFile skin(appDir.filePath(QStringLiteral("x/o.cjs")));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write("QPushButton { color: #123456; }");
    skin.close();
    EXPECT_EQ(open(appDir.path()).styleSheet(), QStringLiteral("QPushButton { color: #123456; }"));
    EXPECT_EQ(open().styleSheet(), QString());
}

// Pointer

TEST_F(MainWindowTest, HoveringButtonsShowsTheHandElsewhereTheDefaultButNeverOverTheBusyPointer)
{
    MainWindow &window = open();
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(child<QPushButton>(objects::kCountButton), &enter);
    EXPECT_EQ(window.pointerMode(), HandPointer);
    QApplication::sendEvent(child<QTreeWidget>(objects::kInputList)->viewport(), &enter);
    EXPECT_EQ(window.pointerMode(), DefaultPointer);

    window.setPointerMode(Hourglass);
    QApplication::sendEvent(child<QPushButton>(objects::kAddFilesButton), &enter);
    EXPECT_EQ(window.pointerMode(), Hourglass);
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
}

// Input list

TEST_F(MainWindowTest, AddedFilesAreListedInOrderWithRepeatsAndCheckedOnce)
{
    open();
    addFiles({fixture("text-a.pdf"), fixture("scanned-3.pdf"), fixture("text-a.pdf")});
    EXPECT_EQ(m_window->inputFiles(), (QStringList{fixture("text-a.pdf"), fixture("scanned-3.pdf"),
                                                   fixture("text-a.pdf")}));
    ASSERT_EQ(m_dialogs.messages().size(), 1);
    EXPECT_TRUE(m_dialogs.messages()[0].startsWith(
        QStringLiteral("These files could not be read:\r\n\r\n") + fixture("scanned-3.pdf") +
        QStringLiteral("\r\n")));
    EXPECT_EQ(m_dialogs.shown[0].title,
              QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
    EXPECT_EQ(m_window->pointerMode(), DefaultPointer);
    EXPECT_EQ(child<QLabel>(objects::kStatusLine)->text(), scannedFilesHint(1));
}

TEST_F(MainWindowTest, ACancelledDialogAddsNothingButStillChecks)
{
    open();
    addFiles({});
    EXPECT_TRUE(m_window->inputFiles().isEmpty());
}

TEST_F(MainWindowTest, RemovalAndClearingAreIgnoredWhileBusy)
{
    open();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    auto *list = child<QTreeWidget>(objects::kInputList);
    list->setCurrentItem(list->topLevelItem(0));

    m_window->setPointerMode(Hourglass);
    QTest::keyClick(list, Qt::Key_Delete);
    child<QPushButton>(objects::kClearInputButton)->click();
    EXPECT_EQ(m_window->inputFiles().size(), 2);

    m_window->setPointerMode(DefaultPointer);
    QTest::keyClick(list, Qt::Key_A);
    EXPECT_EQ(m_window->inputFiles().size(), 2);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(m_window->inputFiles(), QStringList{fixture("text-b.pdf")});
    child<QPushButton>(objects::kClearInputButton)->click();
    EXPECT_TRUE(m_window->inputFiles().isEmpty());
}

// Counting from the window

TEST_F(MainWindowTest, EarlyMessagesLeaveTheResultsAlone)
{
    open();
    count();
    EXPECT_EQ(m_dialogs.messages(), QStringList{QStringLiteral("No files added.")});
    addFiles({fixture("text-a.pdf")});
    count();
    EXPECT_EQ(m_dialogs.messages().last(),
              QStringLiteral("You forgot to select number of phrases."));
    EXPECT_EQ(m_dialogs.shown.back().title, QStringLiteral("Orvanta"));
    EXPECT_FALSE(m_window->isCounting());
}

TEST_F(MainWindowTest, ACountingRunFillsTheResultsAndNamesTheFailures)
{
    open();
    lengthBox(4)->click();
    addFiles({fixture("text-a.pdf"), fixture("damaged.pdf"), fixture("text-b.pdf")});
    count();
    EXPECT_EQ(resultTexts(), (QStringList{QStringLiteral(" the fox goes home.|4|2"),
                                          QStringLiteral(" the quick brown fox|4|3"),
                                          QStringLiteral(" at the end of|4|4"),
                                          QStringLiteral(" the end of the|4|4")}));
    EXPECT_EQ(m_dialogs.messages().last(),
              QStringLiteral("Done.\r\nThe following files could not be read:\r\n") +
                  fixture("damaged.pdf") + QLatin1String(run_texts::kDamaged));
    EXPECT_EQ(m_window->pointerMode(), DefaultPointer);
}

TEST_F(MainWindowTest, PasswordPromptsAreAnsweredOrCancelled)
{
    open();
    child<QCheckBox>(objects::kPromptForPassword)->click();
    child<QLineEdit>(objects::kExtraLengths)->setText(QStringLiteral("3"));
    addFiles(
        {fixture("user-password.pdf"), fixture("user-password.pdf"), fixture("user-password.pdf")});
    m_dialogs.inputs = {QStringLiteral("open sesame"), QStringLiteral("open sesame"), std::nullopt};
    count();

    std::vector<ScriptedDialogService::Shown> prompts;
    std::copy_if(m_dialogs.shown.begin(), m_dialogs.shown.end(), std::back_inserter(prompts),
                 [](const auto &s) { return s.kind == QLatin1String("input"); });
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_EQ(prompts[0].text,
              QStringLiteral("Enter password for file (") + fixture("user-password.pdf") +
                  QStringLiteral("): \r\nNote: Leave this box blank if file is not password "
                                 "protected"));
    EXPECT_EQ(prompts[0].title, QStringLiteral("Input Password"));
    EXPECT_TRUE(prompts[0].masked);
    EXPECT_TRUE(resultTexts().contains(QStringLiteral(" the secret garden|3|2")));
    EXPECT_TRUE(m_dialogs.messages().last().endsWith(fixture("user-password.pdf") +
                                                     QLatin1String(run_texts::kProtected)));
}

TEST_F(MainWindowTest, ClosingDuringARunStopsItCleanly)
{
    open();
    const QString pidFile = m_tmp.filePath(QStringLiteral("converter.pid"));
    const FakeConverter hanging(FakeConverter::hangingScript(pidFile));
    lengthBox(2)->click();
    child<QTreeWidget>(objects::kInputList)
        ->addTopLevelItem(new QTreeWidgetItem(QStringList{fixture("text-a.pdf")}));

    child<QPushButton>(objects::kCountButton)->click();
    // The run waits for the window meanwhile, so the window's events must run.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !readFile(pidFile).isEmpty(); }, 20000));
    const pid_t converter = pid_t(readFile(pidFile).trimmed().toInt());
    EXPECT_TRUE(m_window->isCounting());
    child<QPushButton>(objects::kCountButton)->click(); // a second click changes nothing
    m_window->close();

    EXPECT_FALSE(m_window->isCounting());
    EXPECT_TRUE(m_dialogs.messages().isEmpty());
    EXPECT_TRUE(waitUntilGone(converter));
    EXPECT_TRUE(privateFolderEntries().isEmpty());
}

// "More:" takes ranges as the command line does, and names what it cannot read.
TEST_F(MainWindowTest, MoreTakesRangesAndNamesWhatItCannotRead)
{
    open();
    auto *status = child<QLabel>(objects::kStatusLine);
    child<QLineEdit>(objects::kExtraLengths)->setText(QStringLiteral("3-4, abc, 0"));
    const QString note = QStringLiteral("\"More:\" cannot read \"abc\", \"0\": type lengths such "
                                        "as 20 or 2-5.");
    EXPECT_EQ(status->text(), note);
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    EXPECT_TRUE(resultTexts().contains(QStringLiteral(" the quick brown|3|3")));
    EXPECT_TRUE(resultTexts().contains(QStringLiteral(" the quick brown fox|4|3")));
    EXPECT_EQ(status->text(), note);
    child<QLineEdit>(objects::kExtraLengths)->setText(QStringLiteral("3-4"));
    EXPECT_TRUE(status->text().isEmpty());
}

// Results list

TEST_F(MainWindowTest, DoubleClickRemovesTheRowUnlessBusyAndTicksStayWithTheirRows)
{
    open();
    child<QLineEdit>(objects::kExtraLengths)->setText(QStringLiteral("2"));
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    ResultsModel &model = m_window->results();
    ASSERT_GE(model.rowCount(), 5);
    const QString third = model.cellText(2, 0);
    model.setTicked(2, true);
    auto *view = child<QTreeView>(objects::kResultsList);
    view->setCurrentIndex(model.index(1, 0));

    m_window->setPointerMode(Hourglass);
    emit view->doubleClicked(model.index(1, 0));
    EXPECT_EQ(model.cellText(2, 0), third);

    m_window->setPointerMode(DefaultPointer);
    emit view->doubleClicked(model.index(1, 0));
    EXPECT_EQ(model.cellText(1, 0), third);
    EXPECT_TRUE(model.isTicked(1));

    child<QPushButton>(objects::kClearResultsButton)->click();
    EXPECT_EQ(model.rowCount(), 0);
}

// Help

TEST_F(MainWindowTest, HelpButtonsShowTheirTexts)
{
    open();
    child<QPushButton>(objects::kHelpButton)->click();
    child<QPushButton>(objects::kLengthHelpButton)->click();
    const QStringList texts = m_dialogs.messages();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0],
              QStringLiteral("For your information: This software considers \"low-budget job\" to "
                             "be a two word phrase."));
    EXPECT_TRUE(
        texts[1].startsWith(QStringLiteral("This program will:\r\rextract text from a PDF.")));
    EXPECT_FALSE(texts[1].contains(QLatin1Char('\n')));
    EXPECT_EQ(texts[2],
              QStringLiteral("You can list additional numbers separated by comma or space such "
                             "as: 20, 21, 22, 23"));
}

// Folder scan, drops, samples and reordering

TEST_F(MainWindowTest, AFolderScanAddsThePdfsOfTheTreeAndRemembersTheFolder)
{
    QTemporaryDir tree;
    QDir(tree.path()).mkpath(QStringLiteral("sub"));
    QFile::copy(fixture("text-a.pdf"), tree.filePath(QStringLiteral("a.pdf")));
    QFile::copy(fixture("text-b.pdf"), tree.filePath(QStringLiteral("sub/b.PDF")));
    QFile::copy(fixture("text-b.pdf"), tree.filePath(QStringLiteral("notes.txt")));
    open();
    m_dialogs.folderResults.push_back(tree.path());
    QSignalSpy checked(m_window.get(), &MainWindow::admissionCheckFinished);
    child<QPushButton>(objects::kAddFolderButton)->click();
    ASSERT_TRUE(checked.wait(60000));

    EXPECT_EQ(m_window->inputFiles(), (QStringList{tree.filePath(QStringLiteral("a.pdf")),
                                                   tree.filePath(QStringLiteral("sub/b.PDF"))}));
    EXPECT_EQ(m_dialogs.shown[0].title, QStringLiteral("Please select folder:"));
    EXPECT_EQ(m_settings->readText(QStringLiteral("LastFolder")), tree.path());
    EXPECT_EQ(m_settings->readText(QStringLiteral("Extension")), QStringLiteral("pdf"));
}

// "Open With" and the command line hand over folders too: each adds the PDFs of its tree.
TEST_F(MainWindowTest, OpenedPathsAddTheFilesAndEachFoldersPdfs)
{
    QTemporaryDir folder;
    const QString inFolder = folder.filePath(QStringLiteral("in-folder.pdf"));
    QFile::copy(fixture("text-a.pdf"), inFolder);
    QFile::copy(fixture("text-a.pdf"), folder.filePath(QStringLiteral("notes.txt")));
    open();
    QSignalSpy checked(m_window.get(), &MainWindow::admissionCheckFinished);
    m_window->openPaths({fixture("text-b.pdf"), folder.path()});
    ASSERT_TRUE(checked.wait(60000));
    EXPECT_EQ(m_window->inputFiles(), (QStringList{fixture("text-b.pdf"), inFolder}));
    EXPECT_EQ(m_window->pointerMode(), DefaultPointer);
    EXPECT_TRUE(m_dialogs.messages().isEmpty()) << "nothing unreadable";
}

TEST_F(MainWindowTest, DroppedFilesAndFoldersAreAddedAndOtherDataRefused)
{
    QTemporaryDir folder;
    QFile::copy(fixture("text-a.pdf"), folder.filePath(QStringLiteral("in-folder.pdf")));
    open();
    QWidget *viewport = child<QTreeWidget>(objects::kInputList)->viewport();

    QMimeData text;
    text.setText(QStringLiteral("just text"));
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(fixture("text-b.pdf")), QUrl::fromLocalFile(folder.path())});
    QSignalSpy checked(m_window.get(), &MainWindow::admissionCheckFinished);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_NE(m_window->pointerMode(), Hourglass);
    ASSERT_TRUE(checked.wait(60000));
    EXPECT_EQ(
        m_window->inputFiles(),
        (QStringList{fixture("text-b.pdf"), folder.filePath(QStringLiteral("in-folder.pdf"))}));
}

TEST_F(MainWindowTest, TheSampleButtonLoadsEachSampleOnceAndChoosesLengthFour)
{
    open();
    lengthBox(7)->click();
    child<QLineEdit>(objects::kExtraLengths)->setText(QStringLiteral("9"));
    m_dialogs.answers = {false, false};
    QSignalSpy checked(m_window.get(), &MainWindow::admissionCheckFinished);
    child<QPushButton>(objects::kSamplesButton)->click();
    ASSERT_TRUE(checked.wait(60000));
    const QStringList first = m_window->inputFiles();
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(first.size(),
              QDir(QStringLiteral(ORVANTA_BIN_DIR "/Samples")).entryList(QDir::Files).size());
    EXPECT_TRUE(lengthBox(4)->isChecked());
    EXPECT_FALSE(lengthBox(7)->isChecked());
    EXPECT_EQ(child<QLineEdit>(objects::kExtraLengths)->text(), QString());

    child<QPushButton>(objects::kSamplesButton)->click();
    ASSERT_TRUE(checked.wait(60000));
    EXPECT_EQ(m_window->inputFiles(), first);
}

// Yes to opening the sample folder on a desktop that cannot open folders: the user is told
// where the samples are instead of nothing happening.
TEST_F(MainWindowTest, ASampleFolderTheDesktopCannotOpenIsNamed)
{
    open();
    QString asked;
    m_window->setFolderOpener([&asked](const QString &folder) {
        asked = folder;
        return false;
    });
    m_dialogs.answers = {true};
    QSignalSpy checked(m_window.get(), &MainWindow::admissionCheckFinished);
    child<QPushButton>(objects::kSamplesButton)->click();
    ASSERT_TRUE(checked.wait(60000));
    EXPECT_EQ(asked, QStringLiteral(ORVANTA_BIN_DIR "/Samples"));
    EXPECT_EQ(m_dialogs.messages(), QStringList{cannotOpenMessage(asked)});
}

TEST_F(MainWindowTest, DraggingTheFirstEntryDownMovesItToTheThirdPlace)
{
    open();
    auto *list = child<QTreeWidget>(objects::kInputList);
    for (const char *path : {"/a.pdf", "/b.pdf", "/c.pdf"})
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{QLatin1String(path)}));
    QWidget *viewport = list->viewport();
    const auto centre = [&](int row) {
        return list->visualItemRect(list->topLevelItem(row)).center();
    };
    QTest::mousePress(viewport, Qt::LeftButton, {}, centre(0));
    QMouseEvent overSecond(QEvent::MouseMove, centre(1), viewport->mapToGlobal(centre(1)),
                           Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &overSecond);
    QMouseEvent overThird(QEvent::MouseMove, centre(2), viewport->mapToGlobal(centre(2)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &overThird);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre(2));

    EXPECT_EQ(m_window->inputFiles(), (QStringList{"/b.pdf", "/c.pdf", "/a.pdf"}));
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
}

TEST_F(MainWindowTest, EqualPathsAreNeverExchanged)
{
    open();
    auto *list = child<QTreeWidget>(objects::kInputList);
    for (const char *path : {"/same.pdf", "/same.pdf", "/other.pdf"})
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{QLatin1String(path)}));
    QWidget *viewport = list->viewport();
    const QPoint first = list->visualItemRect(list->topLevelItem(0)).center();
    const QPoint second = list->visualItemRect(list->topLevelItem(1)).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, first);
    QMouseEvent move(QEvent::MouseMove, second, viewport->mapToGlobal(second), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, second);
    EXPECT_EQ(m_window->inputFiles(), (QStringList{"/same.pdf", "/same.pdf", "/other.pdf"}));
    // An exchange of equal texts would show only in where the current row went.
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
}

// Exports from the window

TEST_F(MainWindowTest, TheExportButtonsWriteTheResultsOut)
{
    open();
    lengthBox(4)->click();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    const QString saved = m_tmp.filePath(QStringLiteral("phrases.txt"));
    m_dialogs.saveResults.push_back(saved);
    exportWith(objects::kSaveTextButton);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), " the fox goes home.\r\n the quick brown fox\r\n at the end of\r\n"
                              " the end of the\r\n");
    EXPECT_EQ(m_window->pointerMode(), ArrowPointer);

    m_window->results().setTicked(1, true);
    child<QPushButton>(objects::kCopyButton)->click();
    EXPECT_TRUE(
        QGuiApplication::clipboard()->text().startsWith(QStringLiteral(" the quick brown fox")));

    QString opened;
    m_window->setWorkbookOpener([&](const QString &path) {
        opened = path;
        return true;
    });
    {
        // The workbook export looks for a spreadsheet program first.
        const QString program = writeFile(m_tmp.filePath(QStringLiteral("bin/localc")), {});
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
        const ScopedEnv path("PATH", m_tmp.filePath(QStringLiteral("bin")).toUtf8());
        exportWith(objects::kWorkbookButton);
    }
    EXPECT_TRUE(opened.endsWith(QStringLiteral(".xlsx")));
    EXPECT_TRUE(QFile::exists(opened));
}

// The explorer

TEST_F(MainWindowTest, TheExplorerOpensFromItsButtonFromAResultsMenuAndWithEnter)
{
    open();
    lengthBox(4)->click();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    child<QPushButton>(objects::kExploreButton)->click();
    ExplorerWindow *explorer = m_window->explorer();
    ASSERT_NE(explorer, nullptr);
    EXPECT_TRUE(explorer->isVisible());
    EXPECT_EQ(explorer->model().rowCount(), 4);
    explorer->close();

    auto *view = child<QTreeView>(objects::kResultsList);
    auto *action = view->findChild<QAction *>(QStringLiteral("ExploreAction"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(view->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_TRUE(view->actions().contains(action));
    const auto currentPhrase = [&] {
        return explorer->model().phraseAt(
            explorer->findChild<QTreeView *>(QStringLiteral("ExplorerList"))->currentIndex().row());
    };
    view->setCurrentIndex(m_window->results().index(2, 0));
    action->trigger();
    EXPECT_TRUE(explorer->isVisible());
    EXPECT_EQ(currentPhrase(), QStringLiteral("at the end of"));

    view->setCurrentIndex(m_window->results().index(1, 0));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(currentPhrase(), QStringLiteral("the quick brown fox"));
    EXPECT_EQ(m_window->explorer(), explorer) << "one explorer";
}
