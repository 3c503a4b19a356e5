// The partitioned count against the plain one: same rows, byte for byte, in every order, for
// every plan from one partition kept in memory to budgets so small that every group is split
// down to single phrases and rows are merged two runs at a time.

#include "FileSizeCap.h"
#include "phrases/PartitionedCount.h"
#include "phrases/PhraseTable.h"
#include "phrases/SpillFile.h"
#include "results/RowSelection.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvanta;

namespace {

using Files = std::vector<std::vector<QByteArray>>;

struct Row {
    std::string phrase;
    int words = 0;
    int frequency = 0;
    int files = 0;
    bool operator==(const Row &) const = default;
};
using Rows = std::vector<Row>;

void PrintTo(const Row &row, std::ostream *out)
{
    *out << '"' << row.phrase << "\" " << row.words << ' ' << row.frequency << ' ' << row.files;
}

Directory openFolder(const QString &path)
{
    return Directory(
        Descriptor(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
        path);
}

Rows plainRows(const Files &files, const std::vector<int> &lengths, const RowSelection &selection)
{
    PhraseTable table(lengths);
    for (const std::vector<QByteArray> &lines : files) {
        table.beginDocument();
        for (const QByteArray &line : lines)
            table.countLine(line);
    }
    PhraseResults results = table.extractRepeatedPhrases();
    results.sortForDisplay();
    Rows rows;
    for (const qsizetype row : selectRows(results, selection))
        rows.push_back({std::string(results.phraseUtf8(row)), results.wordCount(row),
                        results.frequency(row), results.files(row)});
    return rows;
}

// Counts the files with the plan, in a spill folder below `parent`.
Result<Rows> partitionedRows(const Files &files, const std::vector<int> &lengths,
                             const SpillPlan &plan, const RowSelection &selection,
                             const QString &parent, std::uint32_t share = 0,
                             std::uint32_t shares = 1)
{
    Result<std::unique_ptr<PartitionedCount>> count =
        PartitionedCount::create(lengths, openFolder(parent), plan);
    if (!count.ok())
        return Failure{count.error()};
    (*count)->countShare(share, shares);
    for (std::size_t file = 0; file < files.size(); ++file) {
        (*count)->beginDocument(std::uint32_t(file));
        for (const QByteArray &line : files[file]) {
            if (const Status counted = (*count)->countLine(line); !counted.ok())
                return Failure{counted.error()};
        }
    }
    Rows rows;
    const Status finished = (*count)->finish(selection, [&](const RowView &row) {
        rows.push_back({std::string(row.phrase), row.wordCount, row.frequency, row.files});
        return true;
    });
    if (!finished.ok())
        return Failure{finished.error()};
    return rows;
}

// 19 words, each twice or three times in it.
QByteArray chorusLine()
{
    QByteArray chorus;
    for (int w = 0; w < 19; ++w)
        chorus += (w % 2 == 0 ? "Verse" : "and") + QByteArray::number(w / 3) + ' ';
    return chorus;
}

// Lines of words from a small vocabulary, so that short phrases repeat often, with planted
// stretches: a long passage once at the start of the first file and once at the end of the
// last, far apart in every spill file; a line of 19 words repeated in one file, whose records
// share ever longer beginnings; phrases in exactly two files; case and non-ASCII variants.
Files plantedFiles(std::uint32_t seed)
{
    static const char *vocabulary[] = {"the", "The",  "of",   "a",     "clause", "Öl",
                                       "öl",  "end.", "x\fy", "zebra", "THE",    "party"};
    std::mt19937 random(seed);
    const auto below = [&](int bound) { return int(random() % std::uint32_t(bound)); };
    QByteArray passage;
    for (int w = 0; w < 24; ++w)
        passage += "p" + QByteArray::number(w) + ' ';
    const QByteArray chorus = chorusLine();

    Files files(size_t(3 + below(3)));
    for (std::vector<QByteArray> &lines : files) {
        for (int l = below(20) + 10; l > 0; --l) {
            QByteArray line;
            for (int w = below(31); w > 0; --w)
                line += QByteArray(vocabulary[below(int(std::size(vocabulary)))]) +
                        (below(5) == 0 ? "\t" : " ");
            lines.push_back(line);
        }
    }
    files.front().insert(files.front().begin(), "Start " + passage + " finish");
    files.back().push_back(passage.toUpper());
    for (int copy = 0; copy < 12; ++copy)
        files[1].push_back(chorus);
    files[0].push_back("only in two files");
    files[2].push_back("Only In Two Files");
    return files;
}

SpillPlan roomyPlan()
{
    SpillPlan plan;
    plan.partitions = 1;
    plan.bufferBytes = 1 << 16;
    plan.groupBytes = 1 << 30;
    plan.rowBytes = 1 << 30;
    return plan;
}

struct PlanCase {
    const char *name;
    int partitions;
    std::size_t bufferBytes;
    std::uint64_t groupBytes;
    std::uint64_t rowBytes;
    int mergeWidth;
};

const PlanCase kPlans[] = {
    {"one partition in memory", 1, 1 << 16, 1 << 30, 1 << 30, 64},
    {"many partitions, tiny buffers", 7, 64, 1 << 30, 1 << 30, 64},
    {"groups split down to single phrases", 3, 256, 200, 1 << 30, 64},
    {"rows merged two runs at a time", 64, 128, 1 << 30, 300, 2},
    {"everything tiny", 5, 64, 150, 200, 3},
};

const std::vector<std::vector<int>> kLengths = {
    {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
    {1},
    {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
    {7, 3},
    {19},
    {4},
};

std::vector<RowSelection> selections()
{
    std::vector<RowSelection> all(7);
    all[1].order = RowOrder::Phrase;
    all[1].reverse = true;
    all[2].order = RowOrder::Words;
    all[2].top = 10;
    all[3].order = RowOrder::Files;
    all[3].minimumFiles = 2;
    all[4].minimumFrequency = 3;
    all[4].reverse = true;
    all[5].top = 0;
    all[6].minimumFrequency = 0; // rows still need two occurrences
    return all;
}

SpillPlan planOf(const PlanCase &planCase)
{
    SpillPlan plan;
    plan.partitions = planCase.partitions;
    plan.bufferBytes = planCase.bufferBytes;
    plan.groupBytes = planCase.groupBytes;
    plan.rowBytes = planCase.rowBytes;
    plan.mergeWidth = planCase.mergeWidth;
    return plan;
}

} // namespace

TEST(PartitionedCount, GivesThePlainCountsRowsForEveryPlanAndLengths)
{
    QTemporaryDir spill;
    for (std::uint32_t seed = 1; seed <= 2; ++seed) {
        const Files files = plantedFiles(seed);
        for (const PlanCase &planCase : kPlans) {
            for (const std::vector<int> &lengths : kLengths) {
                const Result<Rows> rows =
                    partitionedRows(files, lengths, planOf(planCase), {}, spill.path());
                ASSERT_TRUE(rows.ok()) << rows.error().toStdString();
                ASSERT_EQ(*rows, plainRows(files, lengths, {}))
                    << planCase.name << ", seed " << seed << ", lengths from " << lengths.front();
            }
        }
    }
}

// Orders, minimums and top, with the rows sorted in memory and merged from runs.
TEST(PartitionedCount, GivesThePlainCountsRowsInEveryOrder)
{
    QTemporaryDir spill;
    const Files files = plantedFiles(3);
    const std::vector<int> lengths = kLengths.front();
    for (const PlanCase &planCase : {kPlans[0], kPlans[3]}) {
        for (const RowSelection &selection : selections()) {
            const Result<Rows> rows =
                partitionedRows(files, lengths, planOf(planCase), selection, spill.path());
            ASSERT_TRUE(rows.ok()) << rows.error().toStdString();
            ASSERT_EQ(*rows, plainRows(files, lengths, selection))
                << planCase.name << ", order " << int(selection.order) << ", reverse "
                << selection.reverse << ", top " << selection.top;
        }
    }
}

// Processes that all read every line and count their share each give, together, the plain rows.
TEST(PartitionedCount, SharesOfTheFirstWordsTogetherGiveThePlainRows)
{
    QTemporaryDir spill;
    const Files files = plantedFiles(4);
    RowSelection selection;
    selection.order = RowOrder::Files;
    selection.minimumFiles = 2;
    for (const std::uint32_t shares : {2U, 3U, 5U}) {
        Rows together;
        for (std::uint32_t share = 0; share < shares; ++share) {
            const Result<Rows> rows = partitionedRows(files, kLengths.front(), roomyPlan(),
                                                      selection, spill.path(), share, shares);
            ASSERT_TRUE(rows.ok()) << rows.error().toStdString();
            EXPECT_LT(rows->size(), plainRows(files, kLengths.front(), selection).size());
            together.insert(together.end(), rows->begin(), rows->end());
        }
        const auto view = [](const Row &row) {
            return RowView{row.phrase, row.words, row.frequency, row.files};
        };
        std::sort(together.begin(), together.end(), [&](const Row &a, const Row &b) {
            return comesBefore(view(a), view(b), selection);
        });
        EXPECT_EQ(together, plainRows(files, kLengths.front(), selection)) << shares << " shares";
    }
}

TEST(PartitionedCount, FindsWhatThePlantedTextHolds)
{
    QTemporaryDir spill;
    const Files files = plantedFiles(7);
    const Result<Rows> rows = partitionedRows(files, {4, 19}, roomyPlan(), {}, spill.path());
    ASSERT_TRUE(rows.ok());
    const auto find = [&](const std::string &phrase) {
        return std::find_if(rows->begin(), rows->end(),
                            [&](const Row &row) { return row.phrase == phrase; });
    };
    ASSERT_NE(find("only in two files"), rows->end());
    EXPECT_EQ(*find("only in two files"), (Row{"only in two files", 4, 2, 2}));
    ASSERT_NE(find("p0 p1 p2 p3"), rows->end());
    EXPECT_EQ(find("p0 p1 p2 p3")->files, 2);
    const auto chorus = find(chorusLine().toLower().trimmed().toStdString());
    ASSERT_NE(chorus, rows->end());
    EXPECT_EQ(chorus->frequency, 12);
    EXPECT_EQ(chorus->files, 1);
}

TEST(PartitionedCount, NoLengthsGiveNoRows)
{
    QTemporaryDir spill;
    const Result<Rows> rows = partitionedRows(plantedFiles(1), {}, roomyPlan(), {}, spill.path());
    ASSERT_TRUE(rows.ok());
    EXPECT_TRUE(rows->empty());
}

// Spill files have no name from the start; the folder is private, holds only its lock and goes
// with the count.
TEST(PartitionedCount, SpillsIntoAPrivateFolderThatGoesWithTheCount)
{
    QTemporaryDir parent;
    Result<std::unique_ptr<PartitionedCount>> count =
        PartitionedCount::create({2}, openFolder(parent.path()), roomyPlan());
    ASSERT_TRUE(count.ok()) << count.error().toStdString();
    ASSERT_TRUE((*count)->countLine("a b a b").ok());
    const QStringList folders = QDir(parent.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(folders.size(), 1);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(parent.filePath(folders[0])).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(QDir(parent.filePath(folders[0])).entryList(QDir::Files),
              QStringList{QStringLiteral("lock")});
    count->reset();
    EXPECT_TRUE(QDir(parent.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

TEST(PartitionedCount, AStopRequestFailsTheCountWhichCannotBeFinishedAgain)
{
    QTemporaryDir parent;
    Result<std::unique_ptr<PartitionedCount>> count =
        PartitionedCount::create({2, 3}, openFolder(parent.path()), roomyPlan());
    ASSERT_TRUE(count.ok());
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE((*count)->countLine("the same line again").ok());
    std::stop_source stop;
    stop.request_stop();
    int handed = 0;
    const Status finished = (*count)->finish(
        {}, [&](const RowView &) { return bool(++handed); }, stop.get_token());
    EXPECT_FALSE(finished.ok());
    EXPECT_EQ(handed, 0);
    EXPECT_EQ((*count)->finish({}, [](const RowView &) { return true; }).error(),
              QStringLiteral("The count was finished before."));
}

// A full disk, as a file-size limit: while the text is read (one partition outgrows the limit)
// and while rows are sorted out (each partition stays below it, the rows do not). Either way
// the count fails, naming the spill folder, and no row is handed over.
TEST(PartitionedCount, AFullDiskFailsNamingTheSpillFolderAndHandsOverNoRow)
{
    struct Case {
        const char *name;
        int partitions;
        std::uint64_t rowBytes;
    };
    for (const Case &fault : {Case{"reading", 1, 1 << 30}, Case{"sorting rows", 64, 1 << 20}}) {
        QTemporaryDir parent;
        SpillPlan plan = roomyPlan();
        plan.partitions = fault.partitions;
        plan.bufferBytes = 512;
        plan.rowBytes = fault.rowBytes;
        plan.groupBytes = 1 << 30;
        Result<std::unique_ptr<PartitionedCount>> count = PartitionedCount::create(
            {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, openFolder(parent.path()), plan);
        ASSERT_TRUE(count.ok());
        const FileSizeCap cap(24 * 1024);
        ASSERT_TRUE(cap.active());
        Status status;
        for (int i = 0; i < 3000 && status.ok(); ++i)
            status = (*count)->countLine("w" + QByteArray::number(i % 1500) + " x y z " +
                                         QByteArray::number(i) + " q r s t u v");
        int handed = 0;
        if (status.ok())
            status = (*count)->finish({}, [&](const RowView &) { return bool(++handed); });
        ASSERT_FALSE(status.ok()) << fault.name;
        EXPECT_TRUE(status.error().contains(QStringLiteral("spill folder ") + parent.path()))
            << fault.name << ": " << status.error().toStdString();
        EXPECT_EQ(handed, 0) << fault.name;
    }
}

// The Files column needs each file's lines together; a file taken up again is refused, whether
// its partition is counted at once or split first.
TEST(PartitionedCount, AFileTakenUpAgainFailsTheCount)
{
    for (const std::uint64_t groupBytes : {std::uint64_t(1) << 30, std::uint64_t(64)}) {
        QTemporaryDir parent;
        SpillPlan plan = roomyPlan();
        plan.groupBytes = groupBytes;
        Result<std::unique_ptr<PartitionedCount>> count =
            PartitionedCount::create({2}, openFolder(parent.path()), plan);
        ASSERT_TRUE(count.ok());
        for (const std::uint32_t file : {0u, 1u, 0u}) {
            (*count)->beginDocument(file);
            ASSERT_TRUE((*count)->countLine("a b c a b c").ok());
        }
        const Status finished = (*count)->finish({}, [](const RowView &) { return true; });
        ASSERT_FALSE(finished.ok());
        EXPECT_TRUE(finished.error().startsWith(QStringLiteral("The occurrences of file 0")));
    }
}

// The budgets shrink with what the process holds, never below a floor, and never exceed the
// limit with the buffers.
TEST(SpillPlan, BudgetsFollowTheLimitAndTheMemoryInUse)
{
    struct Case {
        std::uint64_t limit;
        std::uint64_t inUse;
    };
    constexpr std::uint64_t MiB = 1 << 20;
    for (const Case &c : {Case{300 * MiB, 0}, Case{300 * MiB, 100 * MiB}, Case{2048 * MiB, 0},
                          Case{2048 * MiB, 700 * MiB}, Case{8192 * MiB, 0}}) {
        SpillPlan plan = SpillPlan::forLimit(c.limit);
        EXPECT_EQ(plan.memoryLimit, c.limit);
        EXPECT_LE(std::uint64_t(plan.partitions) * plan.bufferBytes, c.limit / 8);
        plan.fitCounting(c.limit, c.inUse);
        const double counting = double(plan.groupBytes) + double(plan.rowBytes);
        EXPECT_LE(counting + double(c.inUse), double(c.limit)) << c.limit / MiB << " MiB";
        EXPECT_GE(counting + double(c.inUse), 0.7 * double(c.limit)) << c.limit / MiB << " MiB";
    }
    SpillPlan starved = SpillPlan::forLimit(100 * MiB);
    starved.fitCounting(100 * MiB, 200 * MiB);
    EXPECT_EQ(starved.groupBytes, MiB);
    EXPECT_EQ(starved.rowBytes, MiB);
}
