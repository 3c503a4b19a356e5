#include "FileSizeCap.h"
#include "RecordingRunHost.h"
#include "TestSupport.h"
#include "documents/TextStore.h"
#include "phrases/PhraseTable.h"
#include "results/RowSelection.h"
#include "run/BoundedCount.h"
#include "run/CountingRun.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

using namespace orvanta;

namespace {

constexpr std::uint64_t kLimit = std::uint64_t(64) << 20;

struct Row {
    std::string phrase;
    int words = 0;
    int frequency = 0;
    int files = 0;
    bool operator==(const Row &) const = default;
};

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.phrase << " " << row.words << "/" << row.frequency << "/" << row.files;
}

std::vector<Row> rowsOf(const PhraseResults &results, const std::vector<qsizetype> &order)
{
    std::vector<Row> rows;
    for (const qsizetype i : order)
        rows.push_back({std::string(results.phraseUtf8(i)), results.wordCount(i),
                        results.frequency(i), results.files(i)});
    return rows;
}

std::vector<Row> allRows(const PhraseResults &results)
{
    std::vector<qsizetype> order(std::size_t(results.size()));
    std::iota(order.begin(), order.end(), 0);
    return rowsOf(results, order);
}

// Lines of words that differ in their first letters, so that a phrase and the phrases around
// it fall in different partitions; `seed` varies the words between files.
QByteArray plantedText(int seed, int lines)
{
    QByteArray text;
    for (int line = 0; line < lines; ++line) {
        for (int word = 0; word < 9; ++word)
            text += QByteArray(1, char('a' + (seed * 7 + line * 3 + word * 5) % 26)) +
                    QByteArray::number((line + word) % 4) + ' ';
        text += "Shared Words Here, " + QByteArray::number(seed % 2) + "\n";
    }
    return text;
}

// Options for a count within `limit` bytes, changed by `change`.
CountingRunOptions limited(std::uint64_t limit,
                           const std::function<void(CountingRunOptions &)> &change = {})
{
    CountingRunOptions options;
    options.memoryLimit = limit;
    if (change)
        change(options);
    return options;
}

class BoundedRunTest : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &text)
    {
        QFile file(m_tmp.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        return file.fileName();
    }

    RunOutcome run(const QStringList &paths, const std::vector<int> &lengths,
                   CountingRunOptions options)
    {
        options.readsAsText = [](const QString &) { return true; };
        return m_run.run(paths, lengths, options);
    }

    // Each file read alone holds phrases that repeat only across files, and the same rare
    // phrase once in each of two files.
    QStringList plantedFiles()
    {
        QStringList paths;
        for (int seed = 0; seed < 4; ++seed)
            paths << write(QStringLiteral("part%1.txt").arg(seed), plantedText(seed, 40));
        paths << write(QStringLiteral("once-a.txt"), "only across files\nlone line\n")
              << write(QStringLiteral("once-b.txt"), "ONLY across Files\nand then more\n");
        return paths;
    }

    ScopedTmpdir m_tmp;
    RecordingRunHost m_host;
    TextStore m_store;
    CountingRun m_run{m_host, m_host, m_store,
                      locationTag(QStringLiteral("Test"), QStringLiteral("Run"))};
};

} // namespace

TEST_F(BoundedRunTest, RowsWithinALimitAreThePlainRowsFilesIncluded)
{
    const QStringList paths = plantedFiles();
    TextOptions punctuation;
    punctuation.ignorePunctuation = true;
    const struct {
        std::vector<int> lengths;
        TextOptions text;
    } cases[] = {{{2}, {}}, {{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {}}, {{3, 19}, punctuation}};
    for (const auto &[lengths, text] : cases) {
        CountingRunOptions plain;
        plain.text = text;
        CountingRunOptions bounded = plain;
        bounded.memoryLimit = kLimit;
        const RunOutcome expected = run(paths, lengths, plain);
        const RunOutcome got = run(paths, lengths, bounded);
        ASSERT_TRUE(got.finished()) << m_host.notices.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(allRows(got.phrases), allRows(expected.phrases));
        EXPECT_GT(expected.phrases.size(), 20);
        EXPECT_EQ(got.corpus.words, expected.corpus.words);
        EXPECT_EQ(got.corpus.files, expected.corpus.files);
    }
    // The phrase seen once in each of two files.
    const RunOutcome pairs = run(paths, {3}, limited(kLimit));
    const std::vector<Row> rows = allRows(pairs.phrases);
    EXPECT_NE(std::find(rows.begin(), rows.end(), Row{"only across files", 3, 2, 2}), rows.end());
}

TEST_F(BoundedRunTest, RowsHandedOverWhenPrintedFollowTheSelection)
{
    const QStringList paths = plantedFiles();
    const RunOutcome plain = run(paths, {2, 3, 4}, {});
    const RowSelection selections[] = {
        {},
        {3, 2, RowOrder::Files, true, -1},
        {2, 1, RowOrder::Phrase, false, 7},
        {2, 1, RowOrder::Words, true, 0},
    };
    for (const RowSelection &selection : selections) {
        const CountingRunOptions options = limited(kLimit, [&](CountingRunOptions &o) {
            o.spillFolder = m_tmp.path();
            o.rowsWhenPrinted = true;
        });
        RunOutcome outcome = run(paths, {2, 3, 4}, options);
        ASSERT_TRUE(outcome.boundedRows);
        EXPECT_TRUE(outcome.phrases.isEmpty());
        std::vector<Row> handed;
        const Status status = outcome.boundedRows->handOver(selection, [&](const RowView &row) {
            handed.push_back({std::string(row.phrase), row.wordCount, row.frequency, row.files});
            return true;
        });
        ASSERT_TRUE(status.ok()) << status.error().toStdString();
        EXPECT_EQ(handed, rowsOf(plain.phrases, selectRows(plain.phrases, selection)));
        outcome = {};
        // The spill files go with the rows.
        EXPECT_EQ(QDir(m_tmp.path()).entryList({QStringLiteral("orvanta-spill-*")}, QDir::Dirs),
                  QStringList());
    }
}

TEST_F(BoundedRunTest, AFullDiskEndsTheRunNamingTheSpillFolder)
{
    QByteArray text;
    for (int part = 0; part < 400; ++part)
        text += plantedText(part, 20);
    const QString path = write(QStringLiteral("big.txt"), text);
    const QString spill = m_tmp.filePath(QStringLiteral("spill"));
    ASSERT_TRUE(QDir().mkdir(spill));
    RunOutcome outcome;
    {
        const FileSizeCap full(4096);
        ASSERT_TRUE(full.active());
        outcome = run({path}, {2, 3, 4, 5},
                      limited(kLimit, [&](CountingRunOptions &o) { o.spillFolder = spill; }));
    }
    EXPECT_FALSE(outcome.ran);
    EXPECT_TRUE(outcome.phrases.isEmpty());
    ASSERT_EQ(m_host.notices.size(), 1);
    EXPECT_TRUE(
        m_host.notices[0].startsWith(QStringLiteral("Cannot write to the spill folder ") + spill))
        << m_host.notices[0].toStdString();
    EXPECT_EQ(QDir(spill).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(BoundedRunTest, WhatCannotKeepTheLimitIsRefusedWithAReason)
{
    const QString path = write(QStringLiteral("a.txt"), plantedText(1, 30));
    const QString missing = m_tmp.filePath(QStringLiteral("no such folder"));
    const struct {
        CountingRunOptions options;
        const char *start;
    } cases[] = {
        {limited(kLimit, [](CountingRunOptions &o) { o.countsPerFile = true; }),
         "Counts by file and phrase positions"},
        {limited(kLimit, [](CountingRunOptions &o) { o.keepCountedWords = true; }),
         "Counts by file and phrase positions"},
        {limited(1024, [](CountingRunOptions &o) { o.passageMinimumWords = 3; }),
         "Repeated passages are found"},
        {limited(kLimit, [&](CountingRunOptions &o) { o.spillFolder = missing; }), "cannot use "},
    };
    for (const auto &[options, start] : cases) {
        m_host.notices.clear();
        const RunOutcome outcome = run({path}, {2}, options);
        EXPECT_FALSE(outcome.ran);
        ASSERT_EQ(m_host.notices.size(), 1);
        EXPECT_TRUE(m_host.notices[0].startsWith(QLatin1String(start)))
            << m_host.notices[0].toStdString();
    }
    // Passages that fit the limit are found as without one.
    const auto passages = [](CountingRunOptions &o) { o.passageMinimumWords = 3; };
    const RunOutcome found = run({path}, {}, limited(std::uint64_t(1) << 30, passages));
    EXPECT_TRUE(found.finished());
    EXPECT_EQ(allRows(found.passages.rows),
              allRows(run({path}, {}, limited(0, passages)).passages.rows));
}
