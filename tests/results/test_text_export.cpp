#include "ExportTestHost.h"
#include "QtPrinters.h"
#include "results/TextExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace orvanta;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class TextExportTest : public ::testing::Test {
protected:
    // Saves the list under the given name, answering the overwrite question as told.
    void save(const QString &path, bool answerYes = true)
    {
        m_window.dialogs.saveResults.push_back(path);
        m_window.dialogs.answers.push_back(answerYes);
        saveResultsAsTextFile(m_model, m_window.host(), kTestTag);
    }

    QString path(const char *name) const { return m_folder.filePath(QLatin1String(name)); }

    QTemporaryDir m_folder;
    ResultsModel m_model;
    ExportTestHost m_window;
};

} // namespace

TEST_F(TextExportTest, TwoRowsGiveTwoCrLfLinesOfThePhraseColumnInUtf8WithoutMark)
{
    fillResults(m_model, {{"straße über alles", 3, 2, false}, {"the end", 2, 9, true}});
    save(path("out.txt"));

    EXPECT_EQ(contents(path("out.txt")),
              QByteArray(" stra\xc3\x9f\x65 \xc3\xbc\x62\x65r alles\r\n the end\r\n"));
    ASSERT_EQ(m_window.dialogs.shown.size(), 1u); // a new file: no question
    EXPECT_EQ(m_window.dialogs.shown[0].kind, QStringLiteral("save"));
    EXPECT_EQ(m_window.dialogs.shown[0].title, QStringLiteral("Save"));
    EXPECT_EQ(m_window.dialogs.shown[0].text, QStringLiteral("Text Files (*.txt);;All Files (*)"));
    EXPECT_EQ(m_window.pointerModes, (std::vector<int>{11, 1}));
    EXPECT_TRUE(m_window.reports.empty());
}

TEST_F(TextExportTest, EmptyListGivesAnEmptyFile)
{
    save(path("empty.txt"));

    ASSERT_TRUE(QFile::exists(path("empty.txt")));
    EXPECT_EQ(QFileInfo(path("empty.txt")).size(), 0);
    EXPECT_EQ(m_window.pointerModes, (std::vector<int>{11, 1}));
}

TEST_F(TextExportTest, NameTypedWithoutExtensionIsUsedAsTyped)
{
    fillResults(m_model, {{"a b", 2, 2, false}});
    save(path("results"));

    EXPECT_EQ(contents(path("results")), QByteArray(" a b\r\n"));
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList{"results"});
}

TEST_F(TextExportTest, CancelledDialogWritesNothingAndShowsNothingElse)
{
    fillResults(m_model, {{"a b", 2, 2, false}});
    save(QString());

    EXPECT_EQ(m_window.dialogs.shown.size(), 1u);
    EXPECT_TRUE(m_window.pointerModes.empty());
    EXPECT_TRUE(QDir(m_folder.path()).isEmpty());
}

TEST_F(TextExportTest, ExistingFileIsKeptOnNoAndReplacedOnYes)
{
    fillResults(m_model, {{"a b", 2, 2, false}});
    writeFile(path("old.txt"), "old contents");

    save(path("old.txt"), false);
    EXPECT_EQ(contents(path("old.txt")), QByteArray("old contents"));
    ASSERT_EQ(m_window.dialogs.shown.size(), 2u);
    EXPECT_EQ(m_window.dialogs.shown[1].kind, QStringLiteral("question"));
    EXPECT_EQ(m_window.dialogs.shown[1].text,
              QStringLiteral("Are you sure you wish to overwrite ") + path("old.txt") +
                  QStringLiteral(" ?"));
    EXPECT_EQ(m_window.dialogs.shown[1].title, kTestTitle);
    EXPECT_TRUE(m_window.pointerModes.empty());

    save(path("old.txt"), true);
    EXPECT_EQ(contents(path("old.txt")), QByteArray(" a b\r\n"));
    EXPECT_EQ(m_window.pointerModes, (std::vector<int>{11, 1}));
}

TEST_F(TextExportTest, FileThatCannotBeCreatedIsReportedOnce)
{
    fillResults(m_model, {{"a b", 2, 2, false}, {"c d", 2, 2, false}, {"e f", 2, 3, false}});
    const QString missing = path("gone/out.txt");
    save(missing);

    ASSERT_EQ(m_window.reports.size(), 1u);
    EXPECT_EQ(m_window.reports[0].locationTag, kTestTag);
    EXPECT_TRUE(m_window.reports[0].description.startsWith(QStringLiteral("Cannot create ")))
        << m_window.reports[0].description.toStdString();
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(m_window.pointerModes, (std::vector<int>{11, 1}));
}

// A file size limit makes the write fail part of the way through, as a full disk would, and
// holds for root as well (a read-only folder does not).
TEST_F(TextExportTest, WriteFailingHalfWayKeepsTheOldFileAndIsReported)
{
    std::vector<ListRow> rows;
    for (int i = 0; i < 20000; ++i)
        rows.push_back({"phrase number " + std::to_string(i), 3, 2, false});
    fillResults(m_model, rows);
    writeFile(path("kept.txt"), "the old results\r\n");

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    save(path("kept.txt"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);

    EXPECT_EQ(contents(path("kept.txt")), QByteArray("the old results\r\n"));
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"kept.txt"}); // no half-written file left beside it
    ASSERT_EQ(m_window.reports.size(), 1u);
    EXPECT_EQ(m_window.reports[0].locationTag, kTestTag);
    EXPECT_TRUE(m_window.reports[0].description.startsWith(QStringLiteral("Cannot write ")))
        << m_window.reports[0].description.toStdString();
    EXPECT_EQ(m_window.pointerModes, (std::vector<int>{11, 1}));
}

TEST_F(TextExportTest, ListClearedWhileWritingEndsTheFileAtThatRow)
{
    fillResults(m_model, {{"a b", 2, 2, false}, {"c d", 2, 2, false}, {"e f", 2, 3, false}});
    int events = 0;
    m_window.onEvents = [&] {
        if (++events == 3)
            m_model.clear();
    };
    save(path("cut.txt"));

    EXPECT_EQ(contents(path("cut.txt")), QByteArray(" a b\r\n c d\r\n"));
    EXPECT_TRUE(m_window.reports.empty());
}
