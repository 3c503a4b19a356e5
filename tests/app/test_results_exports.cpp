// The main window's exports of its results list: the text file, the clipboard and the workbook
// handed to the spreadsheet program, as the window's buttons run them.

#include "FileSizeCap.h"
#include "FlakyClipboard.h"
#include "QtPrinters.h"
#include "ScriptedDialogService.h"
#include "TestSupport.h"
#include "XlsxReader.h"
#include "app/ExportFlow.h"
#include "app/ResultsExports.h"
#include "results/ClipboardExport.h"
#include "results/DesktopOpener.h"
#include "results/ResultsModel.h"

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orvanta;

namespace {

const QString kTitle = QStringLiteral("Orvanta");
const QString kTag = QStringLiteral("in Test.Export ");
using Cells = QMap<QString, QString>;

struct ListRow {
    std::string phrase;
    int words;
    int frequency;
    bool ticked;
};

// Each test gets its own private temporary folder and PATH, where a spreadsheet program is found
// only when a test puts one there.
class ResultsExportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_unzip.isEmpty()) << "unzip is needed to read workbooks back";
        ASSERT_TRUE(QDir().mkpath(binFolder()));
        m_exports.setWorkbookOpener([this](const QString &path) {
            m_opened << path;
            return m_openerSucceeds;
        });
    }

    QString binFolder() const { return m_tmp.filePath(QStringLiteral("bin")); }
    QString path(const char *name) const { return m_tmp.filePath(QLatin1String(name)); }

    void addSpreadsheetProgram()
    {
        const QString program = writeFile(binFolder() + QStringLiteral("/localc"), "#!/bin/sh\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    }

    void fill(const std::vector<ListRow> &rows)
    {
        PhraseResults results;
        for (const ListRow &row : rows)
            results.append(row.phrase, row.words, row.frequency);
        m_list.setResults(std::move(results));
        for (size_t i = 0; i < rows.size(); ++i)
            m_list.setTicked(int(i), rows[i].ticked);
    }

    // Runs an export and waits for its file to be written, when it writes one.
    template <typename Export> void runExport(Export exportIt)
    {
        QSignalSpy finished(&m_exports, &ResultsExports::finished);
        exportIt();
        if (m_exports.isRunning()) {
            ASSERT_TRUE(finished.wait(30000));
        }
    }
    void saveAs(const QString &path, bool replace = true)
    {
        m_dialogs.saveResults.push_back(path);
        if (QFileInfo::exists(path))
            m_dialogs.answers.push_back(replace);
        runExport([&] { m_exports.saveAsText(kTag); });
    }
    void openInSpreadsheet()
    {
        runExport([&] { m_exports.openInSpreadsheet(kTag); });
    }

    QStringList workbooks() const
    {
        return QDir(m_tmp.filePath(QStringLiteral("orvanta-%1").arg(::geteuid())))
            .entryList(QDir::Files | QDir::Hidden);
    }
    XlsxContents shownWorkbook()
    {
        EXPECT_EQ(m_opened.size(), 1);
        XlsxContents contents = readXlsx(m_opened.value(0), m_unzip);
        EXPECT_EQ(contents.error, QString());
        return contents;
    }
    void expectOnlyMessages(const QStringList &texts)
    {
        EXPECT_EQ(m_dialogs.messages(), texts);
        EXPECT_EQ(int(m_dialogs.shown.size()), int(texts.size()));
        for (const auto &shown : m_dialogs.shown) {
            EXPECT_EQ(shown.title, kTitle);
            EXPECT_EQ(shown.icon, DialogService::Icon::None);
        }
        EXPECT_TRUE(m_errors.reports.empty());
    }

    ScopedTmpdir m_tmp;
    QString m_unzip =
        QStandardPaths::findExecutable(QStringLiteral("unzip")); // before PATH changes
    ScopedEnv m_path{"PATH", binFolder().toUtf8()};
    ScriptedDialogService m_dialogs;
    RecordingSink m_errors;
    std::vector<int> m_pointerModes;
    ResultsModel m_list;
    ResultsExports m_exports{m_list, {m_dialogs, m_errors, kTitle, [this](PointerMode mode) {
                                          m_pointerModes.push_back(mode);
                                      }}};
    QStringList m_opened;
    bool m_openerSucceeds = true;
};

} // namespace

// "Save Results As Text File"

TEST_F(ResultsExportsTest, TheTextFileIsAskedForAndHoldsEveryRowTickedOrNot)
{
    fill({{"a b", 2, 2, false}, {"c d", 2, 5, true}});
    saveAs(path("results")); // a name without an extension is used as typed
    EXPECT_EQ(readFile(path("results")), QByteArray(" a b\r\n c d\r\n"));
    ASSERT_EQ(m_dialogs.shown.size(), 1u); // a new file: no question
    EXPECT_EQ(m_dialogs.shown[0].kind, QStringLiteral("save"));
    EXPECT_EQ(m_dialogs.shown[0].title, QStringLiteral("Save"));
    EXPECT_EQ(m_dialogs.shown[0].text, QStringLiteral("Text Files (*.txt);;All Files (*)"));
    EXPECT_EQ(m_pointerModes, (std::vector<int>{Hourglass, ArrowPointer}));
    EXPECT_TRUE(m_errors.reports.empty());
}

TEST_F(ResultsExportsTest, AnExistingFileIsKeptOnNoAndReplacedOnYesAndACancelWritesNothing)
{
    fill({{"a b", 2, 2, false}});
    writeFile(path("old.txt"), "old contents");
    saveAs(path("old.txt"), false);
    EXPECT_EQ(readFile(path("old.txt")), QByteArray("old contents"));
    ASSERT_EQ(m_dialogs.shown.size(), 2u);
    EXPECT_EQ(m_dialogs.shown[1].kind, QStringLiteral("question"));
    EXPECT_EQ(m_dialogs.shown[1].text, overwriteQuestion(path("old.txt")));
    EXPECT_EQ(m_dialogs.shown[1].title, kTitle);
    saveAs(QString());
    EXPECT_TRUE(m_pointerModes.empty());

    saveAs(path("old.txt"), true);
    EXPECT_EQ(readFile(path("old.txt")), QByteArray(" a b\r\n"));
    EXPECT_EQ(m_pointerModes, (std::vector<int>{Hourglass, ArrowPointer}));
}

// One failure, one error report under the operation's tag; the old file stays.
TEST_F(ResultsExportsTest, AFailedWriteIsReportedOnceAndKeepsTheOldFile)
{
    fill({{"a b", 2, 2, false}, {"c d", 2, 2, false}});
    writeFile(path("kept.txt"), "the old results\r\n");
    {
        const FileSizeCap cap(8);
        saveAs(path("kept.txt"));
    }
    EXPECT_EQ(readFile(path("kept.txt")), QByteArray("the old results\r\n"));
    ASSERT_EQ(m_errors.reports.size(), 1u);
    EXPECT_EQ(m_errors.reports[0].locationTag, kTag);
    EXPECT_EQ(m_errors.reports[0].line, 102);
    EXPECT_TRUE(m_errors.reports[0].description.startsWith(QStringLiteral("Cannot write ") +
                                                           path("kept.txt")))
        << m_errors.reports[0].description.toStdString();
    EXPECT_EQ(m_pointerModes, (std::vector<int>{Hourglass, ArrowPointer}));
}

// "Copy Results To Clipboard"

// Emptying the clipboard and then saying the rows were copied would lose what the user had
// copied and report a failure as success.
TEST_F(ResultsExportsTest, WithNothingTickedTheClipboardIsLeftAloneAndTheUserIsTold)
{
    FlakyClipboard clipboard;
    m_exports.copyToClipboard(clipboard, kTag);
    fill({{"a b", 2, 2, false}});
    m_exports.copyToClipboard(clipboard, kTag);
    EXPECT_TRUE(clipboard.calls.isEmpty());
    expectOnlyMessages({QLatin1String(kNothingTicked), QLatin1String(kNothingTicked)});
    EXPECT_TRUE(m_pointerModes.empty());
}

TEST_F(ResultsExportsTest, TickedRowsAreSetAfterClearingAndARefusingClipboardIsNotReported)
{
    fill({{"a b", 2, 2, true}, {"c d", 2, 14, false}});
    FlakyClipboard clipboard;
    clipboard.setRefusals = 2;
    m_exports.copyToClipboard(clipboard, kTag);
    const QString set = QStringLiteral("set: a b\t2\t2\r\n");
    EXPECT_EQ(clipboard.calls, (QStringList{QStringLiteral("clear"), set, set, set}));

    clipboard.setRefusals = 100000;
    m_exports.copyToClipboard(clipboard, kTag);
    expectOnlyMessages({clipboardConfirmation(), clipboardConfirmation()});
}

// "Save Results As Excel File"

TEST_F(ResultsExportsTest, TheWorkbookHoldsTheTickedRowsInTheirListRowsAndIsHandedOver)
{
    addSpreadsheetProgram();
    fill({{"the quick fox", 3, 2, true},
          {"not this one", 3, 4, false},
          {"jumps over", 2, 17, true}});
    openInSpreadsheet();

    EXPECT_EQ(shownWorkbook().cells, (Cells{{"A1", "Results"},
                                            {"B1", " Word Count"},
                                            {"C1", "Frequency"},
                                            {"A2", " the quick fox"},
                                            {"B2", "<3>"},
                                            {"C2", "<2>"},
                                            {"A4", " jumps over"},
                                            {"B4", "<2>"},
                                            {"C4", "<17>"}}));
    ASSERT_EQ(workbooks().size(), 1);
    EXPECT_TRUE(workbooks()[0].startsWith(QStringLiteral("Results-")));
    EXPECT_EQ(m_opened.value(0),
              m_tmp.filePath(QStringLiteral("orvanta-%1/").arg(::geteuid()) + workbooks()[0]));
    EXPECT_EQ(m_pointerModes, (std::vector<int>{Hourglass, DefaultPointer}));
    expectOnlyMessages({});

    fill({{"c d", 2, 5, false}});
    m_opened.clear();
    openInSpreadsheet(); // no row ticked: only the header, and a workbook of its own
    EXPECT_EQ(shownWorkbook().cells,
              (Cells{{"A1", "Results"}, {"B1", " Word Count"}, {"C1", "Frequency"}}));
    EXPECT_EQ(workbooks().size(), 2);
}

TEST_F(ResultsExportsTest, WithoutASpreadsheetProgramItSaysSoTwiceAndAnEmptyListDoesNothing)
{
    fill({{"a b", 2, 2, true}});
    openInSpreadsheet();
    expectOnlyMessages({QLatin1String(kSpreadsheetMissingForSoftware),
                        QLatin1String(kSpreadsheetMissingForFeature)});

    m_dialogs.shown.clear();
    addSpreadsheetProgram();
    m_list.clear();
    openInSpreadsheet();
    expectOnlyMessages({});
    EXPECT_TRUE(m_pointerModes.empty());
    EXPECT_TRUE(m_opened.isEmpty());
    EXPECT_TRUE(workbooks().isEmpty());
}

TEST_F(ResultsExportsTest, APrivateFolderThatCannotBeMadeIsReportedOnce)
{
    addSpreadsheetProgram();
    const ScopedEnv tmpdir("TMPDIR", writeFile(path("not-a-folder"), "").toUtf8());
    fill({{"a b", 2, 2, true}});
    openInSpreadsheet();
    ASSERT_EQ(m_errors.reports.size(), 1u);
    EXPECT_EQ(m_errors.reports[0].locationTag, kTag);
    EXPECT_EQ(m_errors.reports[0].line, 104);
    EXPECT_TRUE(m_opened.isEmpty());
    EXPECT_EQ(m_pointerModes, (std::vector<int>{Hourglass, DefaultPointer}));
}

// Not an error report naming an internal location: a plain message with the path.
TEST_F(ResultsExportsTest, AWorkbookThatNoProgramOpensIsNamedInAPlainMessage)
{
    addSpreadsheetProgram();
    m_openerSucceeds = false;
    fill({{"a b", 2, 2, true}});
    openInSpreadsheet();
    expectOnlyMessages({cannotOpenMessage(m_opened.value(0))});
    EXPECT_EQ(readXlsx(m_opened.value(0), m_unzip).cells.value("A2"), QStringLiteral(" a b"));
}

TEST_F(ResultsExportsTest, ACellTooLongForASheetIsReportedAndTheRestIsShown)
{
    addSpreadsheetProgram();
    fill({{std::string(40000, 'w'), 1, 2, true}, {"fine", 1, 3, true}});
    openInSpreadsheet();
    ASSERT_EQ(m_errors.reports.size(), 1u);
    EXPECT_EQ(m_errors.reports[0].locationTag, kTag);
    EXPECT_TRUE(
        m_errors.reports[0].description.startsWith(QStringLiteral("Cell A2 was left empty")));
    const XlsxContents book = shownWorkbook();
    EXPECT_FALSE(book.cells.contains("A2"));
    EXPECT_EQ(book.cells.value("A3"), QStringLiteral(" fine"));
    EXPECT_EQ(m_pointerModes, (std::vector<int>{Hourglass, DefaultPointer}));
}
