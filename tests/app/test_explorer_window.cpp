#include "MainWindowFixture.h"
#include "QtPrinters.h"
#include "XlsxReader.h"
#include "app/DocumentsView.h"
#include "app/ExplorerWindow.h"
#include "app/FileSpreadView.h"
#include "app/OccurrencePanel.h"
#include "app/PageView.h"
#include "app/PairView.h"
#include "app/PassagesView.h"
#include "app/WholeNameTips.h"
#include "phrases/Keyness.h"
#include "results/DesktopOpener.h"
#include "results/OccurrencesModel.h"
#include "results/OverlapMatrixModel.h"
#include "results/OverlapPairsModel.h"
#include "results/ResultsFilterModel.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

using namespace orvanta;

namespace {

// The main window after counting the four-word phrases of text-a and text-b, with the explorer
// open: "the fox goes home." 2, "the quick brown fox" 3, "at the end of" 4, "the end of the" 4.
class ExplorerWindowTest : public MainWindowTest {
protected:
    ExplorerWindow &openExplorer()
    {
        open();
        lengthBox(4)->click();
        addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
        count();
        child<QPushButton>(objects::kExploreButton)->click();
        return *m_window->explorer();
    }

    template <typename T> T *inExplorer(const char *name)
    {
        return m_window->explorer()->findChild<T *>(QLatin1String(name));
    }

    QTreeView *list() { return inExplorer<QTreeView>("ExplorerList"); }

    // Types into the filter box and waits until the list has been filtered.
    void filterBy(const QString &text, const QString &counts)
    {
        QTest::keyClicks(inExplorer<QLineEdit>("ExplorerFilter"), text);
        auto *label = inExplorer<QLabel>("ExplorerCounts");
        EXPECT_TRUE(QTest::qWaitFor([&] { return label->text() == counts; }, 5000))
            << label->text().toStdString();
    }

    QStringList shownPhrases()
    {
        QStringList phrases;
        for (int row = 0; row < m_window->explorer()->model().rowCount(); ++row)
            phrases << m_window->explorer()->model().phraseAt(row);
        return phrases;
    }
};

} // namespace

// One run through: count, open, filter, choose a phrase, see where it occurs, see a page.
TEST_F(ExplorerWindowTest, FromACountToThePageOfAnOccurrence)
{
    ExplorerWindow &explorer = openExplorer();
    EXPECT_EQ(inExplorer<QLabel>("ExplorerCounts")->text(), QStringLiteral("4 of 4 phrases"));
    filterBy(QStringLiteral("QUICK"), QStringLiteral("1 of 4 phrases"));

    QSignalSpy searched(&explorer.occurrences(), &OccurrencePanel::searchFinished);
    list()->setCurrentIndex(explorer.model().index(0, 0));
    ASSERT_TRUE(searched.wait(30000));
    OccurrencesModel &found = explorer.occurrences().occurrences();
    ASSERT_EQ(found.rowCount(), 3);
    EXPECT_EQ(inExplorer<QLabel>("OccurrenceStatus")->text(),
              QStringLiteral("\u201cthe quick brown fox\u201d: 3 occurrences in 2 files."));
    QStringList places;
    for (int row = 0; row < found.rowCount(); ++row)
        places << QStringLiteral("%1 %2 %3 [%4]")
                      .arg(found.data(found.index(row, OccurrencesModel::FileColumn)).toString())
                      .arg(found.occurrenceAt(row).page)
                      .arg(found.occurrenceAt(row).line)
                      .arg(found.occurrenceAt(row).phrase);
    EXPECT_EQ(places, (QStringList{"text-a.pdf 1 1 [The quick brown fox]",
                                   "text-a.pdf 1 2 [the quick brown fox]",
                                   "text-b.pdf 1 1 [The quick brown fox]"}));

    QSignalSpy shown(&explorer.pageView(), &PageView::pageShown);
    explorer.occurrences().list()->setCurrentIndex(found.index(1, 0));
    ASSERT_TRUE(shown.wait(30000));
    EXPECT_TRUE(explorer.pageView().hasImage());
    EXPECT_EQ(inExplorer<QLabel>("PageCaption")->text(), QStringLiteral("text-a.pdf, page 1"));

    QString asked;
    m_window->setDocumentOpener([&](const QString &path) {
        asked = path;
        return false;
    });
    inExplorer<QPushButton>("PageOpen")->click();
    EXPECT_EQ(asked, fixture("text-a.pdf"));
    EXPECT_EQ(m_dialogs.messages().last(), cannotOpenMessage(fixture("text-a.pdf")));
}

// "Where it occurs" and the page follow the current row when rows are hidden or removed.
TEST_F(ExplorerWindowTest, TheLowerPanesShowTheCurrentRowOrNothing)
{
    ExplorerWindow &explorer = openExplorer();
    const auto shownPhrase = [&] { return explorer.occurrences().phrase(); };
    const auto currentPhrase = [&] {
        const QModelIndex current = list()->currentIndex();
        return current.isValid() ? explorer.model().phraseAt(current.row()) : QString();
    };
    QSignalSpy searched(&explorer.occurrences(), &OccurrencePanel::searchFinished);
    QSignalSpy drawn(&explorer.pageView(), &PageView::pageShown);
    list()->setCurrentIndex(explorer.model().index(1, 0));
    ASSERT_EQ(currentPhrase(), QStringLiteral("the quick brown fox"));
    ASSERT_TRUE(searched.wait(30000));
    explorer.occurrences().list()->setCurrentIndex(
        explorer.occurrences().occurrences().index(0, 0));
    ASSERT_TRUE(drawn.wait(30000));

    filterBy(QStringLiteral("end"), QStringLiteral("2 of 4 phrases")); // hides the current row
    EXPECT_TRUE(currentPhrase().isEmpty());
    EXPECT_TRUE(shownPhrase().isEmpty());
    EXPECT_TRUE(inExplorer<QLabel>("OccurrenceStatus")->text().isEmpty());
    EXPECT_FALSE(explorer.pageView().hasImage());

    list()->setCurrentIndex(explorer.model().index(0, 0));
    ASSERT_EQ(shownPhrase(), QStringLiteral("at the end of"));
    ASSERT_TRUE(searched.wait(30000));
    inExplorer<QPushButton>("ExplorerRemove")->click();
    EXPECT_EQ(shownPhrases(), QStringList{"the end of the"});
    EXPECT_EQ(shownPhrase(), currentPhrase());
    EXPECT_NE(shownPhrase(), QStringLiteral("at the end of"));
}

// The passages of the same texts, longest first; where one occurs; the shown rows written out.
TEST_F(ExplorerWindowTest, PassagesOfTheCountedTextsWithWhereTheyOccur)
{
    ExplorerWindow &explorer = openExplorer();
    inExplorer<QTabWidget>("ExplorerTabs")->setCurrentIndex(1); // the passages
    inExplorer<QSpinBox>("PassagesMinimumWords")->setValue(4);
    PassagesView &passages = explorer.passages();
    ASSERT_TRUE(QTest::qWaitFor([&] { return passages.model().rowCount() == 3; }, 30000));
    EXPECT_EQ(inExplorer<QLabel>("PassagesCounts")->text(), QStringLiteral("3 of 3 passages"));
    EXPECT_EQ(passages.model().phraseAt(0), QStringLiteral("at the end of the"));

    QSignalSpy searched(&explorer.occurrences(), &OccurrencePanel::searchFinished);
    passages.list()->setCurrentIndex(passages.model().index(0, 0));
    ASSERT_TRUE(searched.wait(30000));
    EXPECT_EQ(inExplorer<QLabel>("OccurrenceStatus")->text(),
              QStringLiteral("\u201cat the end of the\u201d: 4 occurrences in 2 files."));

    const QString target = m_tmp.filePath(QStringLiteral("passages.csv"));
    m_dialogs.saveResults.push_back(target);
    QSignalSpy exported(&explorer, &ExplorerWindow::exportFinished);
    inExplorer<QPushButton>("PassagesExportCsv")->click();
    ASSERT_TRUE(exported.wait(30000));
    const QByteArray csv = readFile(target);
    EXPECT_TRUE(csv.startsWith("Phrase,Words,Frequency,Files\r\nat the end of the,5,4,2\r\n"))
        << csv.constData();
    EXPECT_EQ(csv.count("\r\n"), 4);
}

// Which files share text: read once, compared again for each setting, written out, and a pair
// opened from the matrix side by side with the page of a stretch.
TEST_F(ExplorerWindowTest, DocumentsThatShareTextSideBySide)
{
    ExplorerWindow &explorer = openExplorer();
    DocumentsView &documents = explorer.documents();
    QSignalSpy compared(&documents, &DocumentsView::compared);
    inExplorer<QTabWidget>("ExplorerTabs")->setCurrentIndex(2);
    ASSERT_TRUE(compared.wait(30000));
    auto *counts = inExplorer<QLabel>("DocumentsCounts");
    EXPECT_EQ(counts->text(), QStringLiteral("0 of 0 pairs")) << "no eight words in common";
    const OverlapTexts *read = documents.texts();
    ASSERT_NE(read, nullptr);

    const auto compareWith = [&](auto change) {
        change();
        EXPECT_TRUE(compared.wait(30000));
        EXPECT_EQ(documents.texts(), read) << "compared again without reading again";
    };
    compareWith([&] { inExplorer<QSpinBox>("DocumentsStretchWords")->setValue(4); });
    ASSERT_EQ(counts->text(), QStringLiteral("1 of 1 pairs"));
    EXPECT_EQ(documents.pairs().pairAt(0), (OverlapPair{0, 1, 31, 33, 22, 18}));
    compareWith([&] { inExplorer<QCheckBox>("DocumentsIgnoreCommon")->setChecked(true); });
    EXPECT_EQ(counts->text(), QStringLiteral("0 of 0 pairs")) << "every stretch is in both files";
    compareWith([&] { inExplorer<QCheckBox>("DocumentsIgnoreCommon")->setChecked(false); });

    const QString target = m_tmp.filePath(QStringLiteral("pairs.csv"));
    m_dialogs.saveResults.push_back(target);
    QSignalSpy exported(&explorer, &ExplorerWindow::exportFinished);
    inExplorer<QPushButton>("DocumentsExportCsv")->click();
    ASSERT_TRUE(exported.wait(30000));
    EXPECT_EQ(readFile(target), QStringLiteral("file_a,file_b,words_a,words_b,shared_a,shared_b,"
                                               "share_a,share_b\r\n%1,%2,31,33,22,18,0.7097,"
                                               "0.5455\r\n")
                                    .arg(fixture("text-a.pdf"), fixture("text-b.pdf"))
                                    .toUtf8());

    inExplorer<QTabWidget>("DocumentsTabs")->setCurrentIndex(1);
    auto *matrix = inExplorer<QTableView>("DocumentsMatrix");
    ASSERT_EQ(documents.matrix().rowCount(), 2);
    QTest::mouseClick(matrix->viewport(), Qt::LeftButton, {},
                      matrix->visualRect(documents.matrix().index(1, 0)).center());
    ASSERT_NE(documents.pairView(), nullptr);
    PairView &pair = *documents.pairView();
    QSignalSpy shown(&pair, &PairView::pairShown);
    ASSERT_TRUE(shown.wait(30000));
    const PairSideText &first = *pair.sideText(PairView::First);
    ASSERT_EQ(first.stretchCount(), 5);
    EXPECT_EQ(first.text().mid(first.spans()[0].start, first.spans()[0].length),
              QStringLiteral("The quick brown fox"));
    EXPECT_EQ(pair.textOf(PairView::Second)->toPlainText().count(QLatin1Char('\n')), 3);

    QSignalSpy drawn(&pair.pageView(), &PageView::pageShown);
    pair.textOf(PairView::Second)->setFocus();
    QTest::keyClick(&pair, Qt::Key_F3, Qt::ShiftModifier); // the last stretch of the second
    EXPECT_EQ(pair.currentStretch(PairView::Second),
              pair.sideText(PairView::Second)->stretchCount() - 1);
    ASSERT_TRUE(drawn.wait(30000));
    EXPECT_EQ(pair.findChild<QLabel *>(QStringLiteral("PairSecondPlace"))->text(),
              QStringLiteral("Stretch 4 of 4, 4 words: page 2, line 2"));
    EXPECT_TRUE(pair.pageView().hasImage());
    explorer.close();
    EXPECT_FALSE(pair.isVisible());
}

// What is ticked or removed in the explorer is what the main window's exports see.
TEST_F(ExplorerWindowTest, TicksAndRemovalsReachTheMainWindowsThreeExports)
{
    ExplorerWindow &explorer = openExplorer();
    filterBy(QStringLiteral("end"), QStringLiteral("2 of 4 phrases"));
    list()->setFocus();
    list()->selectAll();
    QTest::keyClick(list(), Qt::Key_Space);
    EXPECT_TRUE(m_window->results().isTicked(2));
    EXPECT_TRUE(m_window->results().isTicked(3));
    EXPECT_FALSE(m_window->results().isTicked(1));

    child<QPushButton>(objects::kCopyButton)->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), 2);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QStringLiteral("at the end of")));
    EXPECT_FALSE(QGuiApplication::clipboard()->text().contains(QStringLiteral("quick")));

    QString workbook;
    m_window->setWorkbookOpener([&](const QString &path) {
        workbook = path;
        return true;
    });
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    {
        // The workbook export looks for a spreadsheet program first.
        const QString bin = m_tmp.filePath(QStringLiteral("bin"));
        QFile::setPermissions(writeFile(bin + QStringLiteral("/localc"), {}), QFile::ExeOwner);
        const ScopedEnv path("PATH", bin.toUtf8());
        exportWith(objects::kWorkbookButton);
    }
    ASSERT_FALSE(workbook.isEmpty());
    const XlsxContents book = readXlsx(workbook, unzip);
    EXPECT_EQ(book.cells.value(QStringLiteral("A4")), QStringLiteral(" at the end of"));
    EXPECT_EQ(book.cells.value(QStringLiteral("A5")), QStringLiteral(" the end of the"));
    EXPECT_FALSE(book.cells.contains(QStringLiteral("A3"))) << "an unticked row stays empty";

    QTest::keyClick(list(), Qt::Key_Space);
    EXPECT_FALSE(m_window->results().isTicked(2)) << "all were ticked, so Space unticks";

    list()->setCurrentIndex(explorer.model().index(0, 0)); // selects "at the end of" alone
    inExplorer<QPushButton>("ExplorerRemove")->click();
    EXPECT_EQ(shownPhrases(), QStringList{"the end of the"});
    const QString saved = m_tmp.filePath(QStringLiteral("phrases.txt"));
    m_dialogs.saveResults.push_back(saved);
    exportWith(objects::kSaveTextButton);
    EXPECT_EQ(readFile(saved),
              " the fox goes home.\r\n the quick brown fox\r\n the end of the\r\n");
}

TEST_F(ExplorerWindowTest, TheShownRowsAreExportedInTheShownOrder)
{
    ExplorerWindow &explorer = openExplorer();
    inExplorer<QSpinBox>("ExplorerMinFrequency")->setValue(3);
    list()->header()->setSortIndicator(ResultsFilterModel::PhraseColumn, Qt::DescendingOrder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return explorer.model().rowCount() == 3; }, 5000));

    const QString target = m_tmp.filePath(QStringLiteral("shown"));
    m_dialogs.saveResults.push_back(target);
    QSignalSpy exported(&explorer, &ExplorerWindow::exportFinished);
    inExplorer<QPushButton>("ExplorerExportCsv")->click();
    ASSERT_TRUE(exported.wait(30000));
    EXPECT_EQ(
        readFile(target + QStringLiteral(".csv")),
        "Phrase,Words,Frequency,Files,Per million,DP\r\n"
        "the quick brown fox,4,3,2,46875.0000,0.1823\r\n"
        "the end of the,4,4,2,62500.0000,0.0156\r\nat the end of,4,4,2,62500.0000,0.0156\r\n");

    m_dialogs.saveResults.push_back(target + QStringLiteral(".csv"));
    m_dialogs.answers.push_back(false); // do not replace it
    inExplorer<QPushButton>("ExplorerExportXlsx")->click();
    EXPECT_EQ(exported.count(), 1);

    m_dialogs.saveResults.push_back(m_tmp.filePath(QStringLiteral("missing/shown.xlsx")));
    inExplorer<QPushButton>("ExplorerExportXlsx")->click();
    ASSERT_TRUE(exported.wait(30000));
    EXPECT_TRUE(m_dialogs.messages().last().startsWith(QStringLiteral("Cannot create ")))
        << m_dialogs.messages().last().toStdString();
    EXPECT_EQ(m_dialogs.shown.back().icon, DialogService::Icon::Warning);
}

// 64 words in two files (31 and 33); "the quick brown fox" occurs twice in one, once in the other.
TEST_F(ExplorerWindowTest, TheCorpusSizeIsShownAndPerMillionAndDispersionSortAndFilter)
{
    ExplorerWindow &explorer = openExplorer();
    EXPECT_EQ(m_window->countedCorpus().words, 64u);
    EXPECT_EQ(inExplorer<QLabel>("ExplorerCorpus")->text(),
              QStringLiteral("Corpus: 2 files, 64 words, 27 distinct words."));
    EXPECT_TRUE(list()->isColumnHidden(ResultsFilterModel::TargetColumn)) << "no reference set";
    list()->header()->setSortIndicator(ResultsFilterModel::DispersionColumn, Qt::DescendingOrder);
    EXPECT_EQ(shownPhrases().first(), QStringLiteral("the quick brown fox"));
    EXPECT_EQ(explorer.model().cellText(0, ResultsFilterModel::DispersionColumn),
              QStringLiteral("0.1823"));
    inExplorer<QDoubleSpinBox>("ExplorerMaxDispersion")->setValue(0.1);
    inExplorer<QDoubleSpinBox>("ExplorerMinPerMillion")->setValue(40000);
    EXPECT_EQ(shownPhrases(), (QStringList{"the end of the", "at the end of"})); // tied, reversed
}

// Two files marked as the reference: the list counts every file together, and the explorer shows
// each phrase's frequency in either set and its keyness as the engine gives it for the run's
// counts.
TEST_F(ExplorerWindowTest, AReferenceSetAddsTheKeynessColumnsAndTheirFilter)
{
    open();
    lengthBox(4)->click();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf"), fixture("with space.pdf"),
              fixture("en–dash.pdf")}); // the last two: "Odd file names must not matter."
    auto *inputs = child<QTreeWidget>(objects::kInputList);
    auto *markReference = m_window->findChild<QAction *>(QStringLiteral("MarkAsReferenceAction"));
    for (int row : {2, 3}) {
        inputs->setCurrentItem(inputs->topLevelItem(row));
        ASSERT_TRUE(markReference->isEnabled());
        markReference->trigger();
    }
    EXPECT_EQ(inputs->topLevelItem(3)->data(0, kCellNoteRole).toString(),
              QStringLiteral("(reference)"));
    EXPECT_FALSE(markReference->isEnabled());
    EXPECT_TRUE(m_window->findChild<QAction *>(QStringLiteral("MarkAsTargetAction"))->isEnabled());
    count();
    EXPECT_EQ(m_window->inputFiles().value(3), fixture("en–dash.pdf"));
    EXPECT_TRUE(child<QLabel>(objects::kStatusLine)->text().contains(QLatin1String(kBothSetsNote)));
    child<QPushButton>(objects::kExploreButton)->click();
    ResultsFilterModel &model = m_window->explorer()->model();
    EXPECT_FALSE(list()->isColumnHidden(ResultsFilterModel::LogLikelihoodColumn));
    EXPECT_EQ(model.headerData(ResultsFilterModel::TargetColumn, Qt::Horizontal).toString(),
              QStringLiteral("Frequency in target"));

    list()->header()->setSortIndicator(ResultsFilterModel::LogLikelihoodColumn,
                                       Qt::DescendingOrder);
    const PhraseResults &phrases = *m_window->results().phrases();
    const std::vector<std::uint64_t> &words = m_window->countedCorpus().wordsByFile;
    ASSERT_EQ(words.size(), 4u);
    for (int row = 0; row < model.rowCount(); ++row) {
        std::uint64_t inSet[2] = {0, 0}; // target, reference
        for (const FileCount &count : phrases.fileCounts(model.resultAt(row)))
            inSet[count.file >= 2] += count.frequency;
        EXPECT_EQ(model.cellText(row, ResultsFilterModel::FrequencyColumn),
                  QString::number(inSet[0] + inSet[1])); // the list's combined count
        EXPECT_EQ(model.cellText(row, ResultsFilterModel::ReferenceColumn),
                  QString::number(inSet[1]));
        const Keyness expected =
            keynessOf(inSet[0], inSet[1], words[0] + words[1], words[2] + words[3]);
        EXPECT_EQ(model.cellText(row, ResultsFilterModel::LogLikelihoodColumn),
                  QString::fromStdString(fourDecimals(expected.logLikelihood)));
        EXPECT_EQ(model.cellText(row, ResultsFilterModel::LogRatioColumn),
                  QString::fromStdString(fourDecimals(expected.logRatio)));
    }

    inExplorer<QComboBox>("ExplorerPresence")
        ->setCurrentText(QStringLiteral("Only in the reference"));
    EXPECT_EQ(shownPhrases(), (QStringList{"odd file names must", "names must not matter.",
                                           "file names must not"})); // tied, reversed
}

// "By file": the phrase's frequency in each file, and a plot whose ticks open their page and
// which is written as PNG and SVG.
TEST_F(ExplorerWindowTest, ByFileShowsTheFilesAndAPlotWhoseTicksOpenTheirPage)
{
    ExplorerWindow &explorer = openExplorer();
    filterBy(QStringLiteral("quick"), QStringLiteral("1 of 4 phrases"));
    QSignalSpy searched(&explorer.occurrences(), &OccurrencePanel::searchFinished);
    list()->setCurrentIndex(explorer.model().index(0, 0));
    ASSERT_TRUE(searched.wait(30000));
    inExplorer<QTabWidget>("ExplorerOccurrenceTabs")->setCurrentIndex(1);
    FileSpreadView &byFile = explorer.fileSpread();
    const FileSpreadModel &table = byFile.table();
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.data(table.index(0, FileSpreadModel::FrequencyColumn)).toString(), "2");
    EXPECT_EQ(table.data(table.index(0, FileSpreadModel::PerMillionColumn)).toString(),
              "64516.1290"); // 2 in 31 words

    const DispersionPlot &plot = byFile.plot();
    const int width = inExplorer<QWidget>("DispersionPlot")->width();
    const int plotWidth = width - DispersionPlot::kLabelWidth - 2 * DispersionPlot::kMargin;
    const double position = plot.files()[0].positionOf(plot.occurrence(1));
    QSignalSpy shown(&explorer.pageView(), &PageView::pageShown);
    byFile.clickPlot({DispersionPlot::kLabelWidth + DispersionPlot::kMargin +
                          int(std::floor(position * plotWidth)),
                      DispersionPlot::kMargin + DispersionPlot::kStripHeight / 2});
    ASSERT_TRUE(shown.wait(30000));
    EXPECT_EQ(inExplorer<QLabel>("PageCaption")->text(), QStringLiteral("text-a.pdf, page 1"));

    for (const char *button : {"ExportPlotPng", "ExportPlotSvg"}) {
        const QString target = m_tmp.filePath(QLatin1String(button));
        m_dialogs.saveResults.push_back(target);
        inExplorer<QPushButton>(button)->click();
        EXPECT_FALSE(
            readFile(target + (button == QLatin1String("ExportPlotPng") ? QStringLiteral(".png")
                                                                        : QStringLiteral(".svg")))
                .isEmpty())
            << button;
    }
}

// Phrases hidden as parts of longer ones and as stop words are counted beside the rows shown;
// an invalid regular expression is named and leaves the list as it was.
TEST_F(ExplorerWindowTest, HiddenPhrasesAreCountedAndAnInvalidExpressionIsNamed)
{
    open();
    lengthBox(4)->click();
    lengthBox(5)->click(); // "at the end of the" 4 holds two of the four-word phrases
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    child<QPushButton>(objects::kExploreButton)->click();
    auto *counts = inExplorer<QLabel>("ExplorerCounts");
    EXPECT_EQ(counts->text(), QStringLiteral("5 of 5 phrases"));

    inExplorer<QCheckBox>("ExplorerHideInsideLonger")->click();
    EXPECT_EQ(counts->text(), QStringLiteral("3 of 5 phrases (2 inside longer ones hidden)"));
    EXPECT_FALSE(shownPhrases().contains(QStringLiteral("at the end of")));
    EXPECT_TRUE(shownPhrases().contains(QStringLiteral("at the end of the")));

    auto *language = inExplorer<QComboBox>("ExplorerStopLanguage");
    EXPECT_EQ(language->currentText(), QStringLiteral("English"));
    EXPECT_GE(language->count(), 9);
    inExplorer<QComboBox>("ExplorerStopWordMode")->setCurrentIndex(2); // at an edge too
    EXPECT_EQ(counts->text(),
              QStringLiteral("0 of 5 phrases (2 inside longer ones, 3 of stop words hidden)"));

    m_dialogs.inputs.push_back(QStringLiteral("at\nhome."));
    inExplorer<QPushButton>("ExplorerEditStopWords")->click();
    EXPECT_TRUE(m_dialogs.shown.back().text.contains(QStringLiteral("\nthe\n")));
    EXPECT_EQ(language->currentText(), QStringLiteral("Own list"));
    EXPECT_EQ(shownPhrases(), QStringList{"the quick brown fox"});

    inExplorer<QCheckBox>("ExplorerFilterRegex")->click();
    QTest::keyClicks(inExplorer<QLineEdit>("ExplorerFilter"), QStringLiteral("(quick"));
    auto *error = inExplorer<QLabel>("ExplorerFilterError");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !error->isHidden(); }, 5000));
    EXPECT_TRUE(error->text().startsWith(QStringLiteral("The regular expression is not valid")))
        << error->text().toStdString();
    EXPECT_EQ(shownPhrases(), QStringList{"the quick brown fox"});
    QTest::keyClick(inExplorer<QLineEdit>("ExplorerFilter"), Qt::Key_Backspace);
    inExplorer<QLineEdit>("ExplorerFilter")->home(false);
    QTest::keyClick(inExplorer<QLineEdit>("ExplorerFilter"), Qt::Key_Delete);
    ASSERT_TRUE(QTest::qWaitFor([&] { return error->isHidden(); }, 5000));
    EXPECT_EQ(m_window->explorer()->model().filter().text, QStringLiteral("quic"));

    // Asked to show a hidden phrase, the explorer stops hiding.
    const PhraseResults &results = *m_window->results().phrases();
    std::uint32_t inside = 0;
    while (results.row(inside).phrase != QStringLiteral("at the end of"))
        ++inside;
    m_window->explorer()->showResult(inside);
    EXPECT_EQ(m_window->explorer()->model().phraseAt(list()->currentIndex().row()),
              QStringLiteral("at the end of"));
    EXPECT_FALSE(inExplorer<QCheckBox>("ExplorerHideInsideLonger")->isChecked());
}

// The filter takes wildcards and reaches the passages, which need half their words to hold a
// letter unless told otherwise.
TEST_F(ExplorerWindowTest, TheFilterReachesThePassages)
{
    ExplorerWindow &explorer = openExplorer();
    inExplorer<QTabWidget>("ExplorerTabs")->setCurrentIndex(1);
    inExplorer<QSpinBox>("PassagesMinimumWords")->setValue(4);
    PassagesView &passages = explorer.passages();
    ASSERT_TRUE(QTest::qWaitFor([&] { return passages.model().rowCount() == 3; }, 30000));
    EXPECT_EQ(passages.letterPercent()->value(), 50);

    filterBy(QStringLiteral("*fox*"), QStringLiteral("2 of 4 phrases"));
    EXPECT_EQ(inExplorer<QLabel>("PassagesCounts")->text(), QStringLiteral("2 of 3 passages"));
}

// Where it occurs, sorted by the word left of the phrase and written out as shown.
TEST_F(ExplorerWindowTest, TheConcordanceSortsByTheWordsAroundAndIsExportedAsShown)
{
    ExplorerWindow &explorer = openExplorer();
    filterBy(QStringLiteral("QUICK"), QStringLiteral("1 of 4 phrases"));
    QSignalSpy searched(&explorer.occurrences(), &OccurrencePanel::searchFinished);
    list()->setCurrentIndex(explorer.model().index(0, 0));
    ASSERT_TRUE(searched.wait(30000));

    explorer.occurrences().sortKey(0)->setCurrentText(QStringLiteral("1st word left"));
    OccurrencesModel &found = explorer.occurrences().occurrences();
    ASSERT_EQ(found.rowCount(), 3);
    EXPECT_EQ(found.occurrenceAt(2).before, QStringLiteral("Later")) << "a missing word first";
    EXPECT_EQ(found.sortWordsAt(2).size(), 1u);

    const QString target = m_tmp.filePath(QStringLiteral("concordance.csv"));
    m_dialogs.saveResults.push_back(target);
    QSignalSpy exported(&explorer, &ExplorerWindow::exportFinished);
    inExplorer<QPushButton>("ConcordanceExportCsv")->click();
    ASSERT_TRUE(exported.wait(30000));
    const QByteArray csv = readFile(target);
    EXPECT_TRUE(csv.startsWith("file,page,line_number,left,phrase,right\r\n")) << csv.constData();
    const QList<QByteArray> lines = csv.split('\n');
    ASSERT_EQ(lines.size(), 5) << csv.constData(); // the header, three lines, the last CRLF
    EXPECT_TRUE(
        lines[3].startsWith(fixture("text-a.pdf").toUtf8() + ",1,2,Later,the quick brown fox,naps"))
        << lines[3].constData();
}
