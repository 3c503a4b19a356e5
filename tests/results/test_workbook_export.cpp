#include "ExportTestHost.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "TextTableModel.h"
#include "XlsxReader.h"
#include "results/DesktopOpener.h"
#include "results/SpreadsheetExport.h"
#include "results/SpreadsheetPresence.h"
#include "results/XlsxSpreadsheetProgram.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orvanta;

namespace {

using Cells = QMap<QString, QString>;

// Each test gets its own private temporary folder and PATH.
class WorkbookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedTmpdir = qgetenv("TMPDIR");
        m_savedPath = qgetenv("PATH");
        m_unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
        ASSERT_FALSE(m_unzip.isEmpty()) << "unzip is needed to read workbooks back";
        qputenv("TMPDIR", m_tmp.path().toUtf8());
        ASSERT_TRUE(QDir().mkpath(binFolder()));
        qputenv("PATH", binFolder().toUtf8());
    }
    void TearDown() override
    {
        qputenv("TMPDIR", m_savedTmpdir);
        qputenv("PATH", m_savedPath);
    }

    QString binFolder() const { return m_tmp.filePath(QStringLiteral("bin")); }

    void addProgram(const char *name, const QByteArray &script, bool executable = true)
    {
        QFile file(binFolder() + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        file.setPermissions(permissions);
    }

    WorkbookOpener recordingOpener()
    {
        return [this](const QString &path) {
            m_opened << path;
            return m_openerSucceeds;
        };
    }

    // Exports with a program whose presence is as told, or looked for on PATH.
    void exportList(const QAbstractItemModel &list, std::function<bool()> presence)
    {
        XlsxSpreadsheetProgram program(recordingOpener(), std::move(presence));
        saveResultsAsExcelFile(list, program, m_window.host(), kTestTag);
    }
    void exportList(const QAbstractItemModel &list)
    {
        exportList(list, [] { return true; });
    }

    XlsxContents read(const QString &path) const { return readXlsx(path, m_unzip); }

    QString privateFolder() const
    {
        return m_tmp.filePath(QStringLiteral("orvanta-") + QString::number(::geteuid()));
    }

    QStringList workbooks() const
    {
        return QDir(privateFolder())
            .entryList({QStringLiteral("*.xlsx")}, QDir::Files | QDir::Hidden);
    }

    // The one workbook that was shown, read back.
    XlsxContents shownWorkbook()
    {
        EXPECT_EQ(m_opened.size(), 1);
        if (m_opened.isEmpty())
            return {};
        XlsxContents contents = read(m_opened.last());
        EXPECT_EQ(contents.error, QString());
        return contents;
    }

    void expectQuietSuccess()
    {
        EXPECT_EQ(m_window.pointerModes, (std::vector<int>{11, 0}));
        EXPECT_TRUE(m_window.dialogs.shown.empty());
        EXPECT_TRUE(m_window.reports.empty());
    }

    QTemporaryDir m_tmp;
    QByteArray m_savedTmpdir;
    QByteArray m_savedPath;
    QString m_unzip;
    ExportTestHost m_window;
    QStringList m_opened;
    bool m_openerSucceeds = true;
};

Cells header()
{
    return {{"A1", "Results"}, {"B1", " Word Count"}, {"C1", "Frequency"}};
}

Cells withHeader(const Cells &rows)
{
    Cells cells = header();
    cells.insert(rows);
    return cells;
}

} // namespace

// Workbook layout

// A spreadsheet program's automation turns numeric text into numbers; users sort and sum them.
TEST_F(WorkbookTest, RowsOneAndThreeTickedLeaveSheetRowThreeEmptyAndCountsAreNumbers)
{
    ResultsModel list;
    fillResults(list, {{"the quick fox", 3, 2, true},
                       {"not this one", 3, 4, false},
                       {"jumps over", 2, 17, true}});
    exportList(list);

    const XlsxContents sheet = shownWorkbook();
    EXPECT_EQ(sheet.cells, withHeader({{"A2", " the quick fox"},
                                       {"B2", "<3>"},
                                       {"C2", "<2>"},
                                       {"A4", " jumps over"},
                                       {"B4", "<2>"},
                                       {"C4", "<17>"}}));
    EXPECT_EQ(sheet.cellTypes.count(QStringLiteral("s")), 5); // the header and the phrases
    ASSERT_EQ(workbooks().size(), 1);
    EXPECT_EQ(m_opened.value(0), privateFolder() + QLatin1Char('/') + workbooks()[0]);
    EXPECT_TRUE(workbooks()[0].startsWith(QStringLiteral("Results-")));
    expectQuietSuccess();
}

TEST_F(WorkbookTest, NoTickedRowGivesOnlyTheHeaderAndTheWorkbookIsStillShown)
{
    ResultsModel list;
    fillResults(list, {{"a b", 2, 2, false}, {"c d", 2, 3, false}});
    exportList(list);

    EXPECT_EQ(shownWorkbook().cells, header());
    expectQuietSuccess();
}

TEST_F(WorkbookTest, EmptyListCreatesNothingAndSaysNothing)
{
    ResultsModel list;
    exportList(list);

    EXPECT_TRUE(m_opened.isEmpty());
    EXPECT_TRUE(workbooks().isEmpty());
    EXPECT_TRUE(m_window.pointerModes.empty());
    EXPECT_TRUE(m_window.dialogs.shown.empty());
    EXPECT_TRUE(m_window.reports.empty());
}

TEST_F(WorkbookTest, EqualsSignsAreTakenOutOfColumnsTwoAndThreeButNotThePhrase)
{
    TextTableModel list({"Results", " Word Count", "Frequency"},
                        {{{" a = b =", "=2", "1=0="}, true}, {{" x", "==", "7"}, true}});
    exportList(list);

    EXPECT_EQ(
        shownWorkbook().cells,
        withHeader(
            {{"A2", " a = b ="}, {"B2", "<2>"}, {"C2", "<10>"}, {"A3", " x"}, {"C3", "<7>"}}));
    expectQuietSuccess();
}

TEST_F(WorkbookTest, ControlCharactersAndEscapeLookalikesComeBackUnchanged)
{
    const QString phrase = QStringLiteral(" end\fof page\r\x01\x1f tab\there\nline _x0041_ "
                                          "_x00e9__x0042_ a & <b> \"q\" \u00fcber \uffff ") +
                           QChar(u'\0') + QStringLiteral("nul");
    TextTableModel list({"Results", " Word Count", "Frequency"}, {{{phrase, "9", "2"}, true}});
    exportList(list);

    const XlsxContents sheet = shownWorkbook(); // parsing fails on a character XML cannot hold
    EXPECT_EQ(sheet.cells.value("A2"), phrase);
    EXPECT_EQ(escapeForWorkbook(QStringLiteral("a\fb")), QStringLiteral("a_x000C_b"));
    expectQuietSuccess();
}

TEST_F(WorkbookTest, ColumnsAreFittedToTheLongestTextWritten)
{
    ResultsModel list;
    fillResults(list, {{"a rather long phrase of words", 6, 2, true},
                       {"an even longer phrase that nobody ticked at all", 9, 3, false}});
    exportList(list);

    const XlsxContents sheet = shownWorkbook();
    const auto fits = [&](int column, qsizetype longest) {
        const double width = sheet.widths.value(column);
        EXPECT_GE(width, double(longest)) << "column " << column;
        EXPECT_LE(width, double(longest) + 3) << "column " << column;
    };
    fits(1, QStringLiteral(" a rather long phrase of words").size());
    fits(2, QStringLiteral(" Word Count").size());
    fits(3, QStringLiteral("Frequency").size());
}

TEST_F(WorkbookTest, EachExportWritesAWorkbookOfItsOwn)
{
    ResultsModel list;
    fillResults(list, {{"a b", 2, 2, true}});
    exportList(list);
    fillResults(list, {{"c d", 2, 5, true}});
    exportList(list);

    ASSERT_EQ(m_opened.size(), 2);
    EXPECT_NE(m_opened[0], m_opened[1]);
    EXPECT_EQ(read(m_opened[0]).cells.value("A2"), QStringLiteral(" a b"));
    EXPECT_EQ(read(m_opened[1]).cells.value("A2"), QStringLiteral(" c d"));
}

// Failures

TEST_F(WorkbookTest, CellTooLongForASheetIsReportedAndTheRestIsWritten)
{
    const QString tooLong = QStringLiteral(" ") + QString(40000, QLatin1Char('w'));
    TextTableModel list({"Results", " Word Count", "Frequency"},
                        {{{tooLong, "1", "2"}, true}, {{" fine", "1", "3"}, true}});
    exportList(list);

    ASSERT_EQ(m_window.reports.size(), 1u);
    EXPECT_EQ(m_window.reports[0].locationTag, kTestTag);
    EXPECT_EQ(m_window.reports[0].line, 116);
    EXPECT_EQ(
        shownWorkbook().cells,
        withHeader({{"B2", "<1>"}, {"C2", "<2>"}, {"A3", " fine"}, {"B3", "<1>"}, {"C3", "<3>"}}));
    EXPECT_EQ(m_window.pointerModes, (std::vector<int>{11, 0}));
}

TEST_F(WorkbookTest, SpreadsheetThatCannotStartIsReportedOnce)
{
    QFile blocker(m_tmp.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("TMPDIR", blocker.fileName().toUtf8());
    ResultsModel list;
    fillResults(list, {{"a b", 2, 2, true}});
    exportList(list);

    ASSERT_EQ(m_window.reports.size(), 1u);
    EXPECT_EQ(m_window.reports[0].locationTag, kTestTag);
    EXPECT_EQ(m_window.reports[0].line, 106);
    EXPECT_TRUE(m_opened.isEmpty());
    EXPECT_EQ(m_window.pointerModes, (std::vector<int>{11, 0}));
}

// Not an error report naming an internal location: a plain message with the path.
TEST_F(WorkbookTest, AWorkbookThatNoProgramOpensIsNamedInAPlainMessage)
{
    m_openerSucceeds = false;
    ResultsModel list;
    fillResults(list, {{"a b", 2, 2, true}});
    exportList(list);

    EXPECT_TRUE(m_window.reports.empty());
    EXPECT_EQ(m_window.dialogs.messages(), QStringList{cannotOpenMessage(m_opened.value(0))});
    EXPECT_EQ(read(m_opened.value(0)).cells.value("A2"), QStringLiteral(" a b"));
}

// Presence test

TEST_F(WorkbookTest, SpreadsheetProgramIsFoundOnPathOnlyWhenExecutable)
{
    EXPECT_FALSE(spreadsheetProgramFound());
    addProgram("libreoffice", "#!/bin/sh\nexit 0\n", false);
    EXPECT_FALSE(spreadsheetProgramFound());
    addProgram("libreoffice", "#!/bin/sh\nexit 0\n", true);
    EXPECT_TRUE(spreadsheetProgramFound());
}

TEST_F(WorkbookTest, SpreadsheetProgramIsFoundThroughTheDesktopDefault)
{
    addProgram("xdg-mime", "#!/bin/sh\nexit 0\n");
    EXPECT_FALSE(spreadsheetProgramFound());
    addProgram("xdg-mime", "#!/bin/sh\n[ \"$1 $2 $3\" = \"query default "
                           "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet\" ] "
                           "&& echo gnumeric.desktop\n");
    EXPECT_TRUE(spreadsheetProgramFound());
}

TEST_F(WorkbookTest, MissingSpreadsheetProgramGivesTwoMessagesInOrderAndNothingElse)
{
    ResultsModel list;
    fillResults(list, {{"a b", 2, 2, true}});
    exportList(list, {});

    ASSERT_EQ(m_window.dialogs.shown.size(), 2u);
    EXPECT_EQ(m_window.dialogs.messages(),
              (QStringList{"Excel is not installed on this computer. You need to have it "
                           "installed to use this software without error.",
                           "Excel is not installed on this computer. You need to have it "
                           "installed to use this feature."}));
    for (const auto &shown : m_window.dialogs.shown) {
        EXPECT_EQ(shown.title, kTestTitle);
        EXPECT_EQ(shown.icon, DialogService::Icon::None);
    }
    EXPECT_TRUE(m_window.pointerModes.empty());
    EXPECT_TRUE(m_window.reports.empty());
    EXPECT_TRUE(m_opened.isEmpty());
    EXPECT_TRUE(workbooks().isEmpty());
}

TEST_F(WorkbookTest, SpreadsheetProgramOnPathLetsTheExportRun)
{
    addProgram("localc", "#!/bin/sh\nexit 0\n");
    ResultsModel list;
    fillResults(list, {{"a b", 2, 2, true}});
    exportList(list, {});

    EXPECT_EQ(shownWorkbook().cells, withHeader({{"A2", " a b"}, {"B2", "<2>"}, {"C2", "<2>"}}));
    expectQuietSuccess();
}
