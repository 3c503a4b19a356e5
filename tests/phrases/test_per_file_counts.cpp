#include "QtPrinters.h"
#include "phrases/PhraseTable.h"
#include "phrases/ReferenceMeasures.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace orvanta;

namespace {

PhraseTable countedTable(const FileLines &files, const std::vector<int> &lengths,
                         bool countsPerFile = true)
{
    PhraseTable table(lengths);
    table.setCountsPerFile(countsPerFile);
    for (const auto &lines : files) {
        table.beginDocument();
        for (const QByteArray &line : lines)
            table.countLine(line);
    }
    return table;
}

std::map<std::uint32_t, std::uint32_t> asMap(std::span<const FileCount> counts)
{
    std::map<std::uint32_t, std::uint32_t> map;
    for (const FileCount &count : counts)
        map[count.file] = count.frequency;
    return map;
}

void appendWithCounts(PhraseResults &results, const char *phrase, int frequency,
                      const std::vector<FileCount> &counts)
{
    const std::uint32_t files[] = {std::uint32_t(counts.size())};
    std::copy(counts.begin(), counts.end(), results.appendFileCounts(files).begin());
    results.append(phrase, 1, frequency, int(counts.size()));
}

// Files of lines of words from a small vocabulary, in any case, so that phrases repeat within
// and across files; some files are empty or hold only blank lines.
FileLines randomFiles(QRandomGenerator &random, int maxFiles, int maxLines)
{
    const char *vocabulary[] = {"a", "A", "b", "the", "The", "end", "end.", "Öl", "öl"};
    FileLines files(size_t(random.bounded(1, maxFiles + 1)));
    for (auto &lines : files) {
        for (int l = random.bounded(0, maxLines + 1); l > 0; --l) {
            QByteArray line;
            for (int w = random.bounded(0, 10); w > 0; --w)
                line += QByteArray(random.bounded(4) ? " " : "\t ") +
                        vocabulary[random.bounded(int(std::size(vocabulary)))];
            lines.push_back(line);
        }
    }
    return files;
}

// Every row's per-file counts and the corpus size against the plain reference.
void expectCountsAsReference(const FileLines &files, int length, const std::string &where)
{
    const PhraseTable table = countedTable(files, {length});
    PhraseResults results = table.extractRepeatedPhrases();
    results.sortForDisplay();
    ASSERT_EQ(table.corpusSize(), referenceCorpusSize(files)) << where;
    const ReferenceFileCounts reference = referenceFileCounts(files, length);
    ASSERT_EQ(std::size_t(results.size()), reference.size()) << where;
    for (qsizetype row = 0; row < results.size(); ++row) {
        const QString phrase = results.row(row).phrase;
        ASSERT_TRUE(reference.contains(phrase)) << where << " " << phrase.toStdString();
        const auto &counts = reference.at(phrase);
        ASSERT_EQ(asMap(results.fileCounts(row)), counts) << where << " " << phrase.toStdString();
        EXPECT_EQ(std::size_t(results.files(row)), counts.size());
    }
}

} // namespace

// Per-file counts from the engine

TEST(PerFileCounts, EveryRowsCountsAgreeWithAPlainReference)
{
    QRandomGenerator random(3030);
    for (int round = 0; round < 60; ++round)
        expectCountsAsReference(randomFiles(random, 8, 6), random.bounded(1, 5),
                                "round " + std::to_string(round));
}

// Over 50,000 rows of one length: two threads write the rows and their counts.
TEST(PerFileCounts, CountsHoldWhenBothCoresWriteTheRows)
{
    QRandomGenerator random(8);
    FileLines files(5);
    for (int l = 0; l < 24000; ++l) {
        QByteArray line;
        for (int w = random.bounded(1, 21); w > 0; --w)
            line += " w" + QByteArray::number(random.bounded(500));
        files[size_t(random.bounded(5))].push_back(line);
    }
    expectCountsAsReference(files, 2, "big");
}

TEST(PerFileCounts, APlainCountCarriesNone)
{
    const PhraseTable table = countedTable({{"a b", "a b"}, {"a b"}}, {2}, false);
    const PhraseResults results = table.extractRepeatedPhrases();
    ASSERT_EQ(results.size(), 1);
    EXPECT_FALSE(results.hasFileCounts());
    EXPECT_TRUE(results.fileCounts(0).empty());
    EXPECT_EQ(results.files(0), 2);
}

// Counts travel with their rows when results are joined and ordered.
TEST(PerFileCounts, CountsFollowTheirRowsThroughAppendAndOrder)
{
    const std::vector<FileCount> c{{0, 2}}, b{{1, 1}, {4, 2}}, a{{3, 5}};
    PhraseResults first;
    appendWithCounts(first, "a", 5, a);
    appendWithCounts(first, "c", 2, c);
    PhraseResults second;
    appendWithCounts(second, "b", 3, b);
    first.append(second);
    first.sortForDisplay();
    ASSERT_EQ(first.size(), 3);
    const std::vector<std::pair<std::string, std::vector<FileCount>>> expected{
        {"c", c}, {"b", b}, {"a", a}};
    for (qsizetype row = 0; row < 3; ++row) {
        EXPECT_EQ(first.phraseUtf8(row), expected[size_t(row)].first);
        const std::span<const FileCount> got = first.fileCounts(row);
        EXPECT_EQ(std::vector(got.begin(), got.end()), expected[size_t(row)].second);
    }
}

// Corpus size

TEST(PerFileCounts, CorpusSizeCountsFilesWordsAndDistinctWords)
{
    const struct {
        const char *name;
        FileLines files;
        bool begun;
        CorpusSize size;
    } cases[] = {
        {"nothing counted", {}, true, {0, 0, 0, {}}},
        {"no file begun", {{"The end", "the END."}}, false, {1, 4, 3, {4}}},
        {"an empty file and a blank one", {{}, {"  \t ", ""}, {"x y"}}, true, {3, 2, 2, {0, 0, 2}}},
        {"one small file among big ones",
         {{"a b c d e f"}, {"a"}, {"a b c d e f g h"}},
         true,
         {3, 15, 8, {6, 1, 8}}},
    };
    for (const auto &c : cases) {
        PhraseTable table({2});
        for (const auto &lines : c.files) {
            if (c.begun)
                table.beginDocument();
            for (const QByteArray &line : lines)
                table.countLine(line);
        }
        EXPECT_EQ(table.corpusSize(), c.size) << c.name;
    }
}

// Positions for a dispersion plot

TEST(PerFileCounts, PositionsOfEveryPhraseAgreeWithAPlainReference)
{
    QRandomGenerator random(77);
    for (int round = 0; round < 30; ++round) {
        const FileLines files = randomFiles(random, 6, 5);
        const int length = random.bounded(1, 4);
        const PhraseTable table = countedTable(files, {length});
        const PhraseResults results = table.extractRepeatedPhrases();
        for (qsizetype row = 0; row < results.size(); ++row) {
            const std::string_view phrase = results.phraseUtf8(row);
            const std::vector<PhrasePosition> expected =
                referencePositions(files, results.row(row).phrase);
            ASSERT_EQ(table.positionsOf(phrase), expected) << "round " << round << " " << phrase;
            ASSERT_EQ(table.positionsOf(phrase, results.fileCounts(row)), expected)
                << "round " << round << " " << phrase;
            EXPECT_EQ(expected.size(), std::size_t(results.frequency(row)));
        }
    }
}

TEST(PerFileCounts, PositionsOfWordsNeverCountedOrAcrossLinesAreNone)
{
    const PhraseTable table = countedTable({{"red green", "blue"}, {"green blue"}}, {2});
    const struct {
        const char *phrase;
        std::vector<PhrasePosition> positions;
    } cases[] = {
        {"purple", {}},
        {"", {}},
        {"green  blue", {}},
        {"GREEN blue", {}},
        {"red green blue", {}},
        {"green blue", {{1, 0, 0.0}}},
        {"blue", {{0, 2, 2.0 / 3}, {1, 1, 0.5}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(table.positionsOf(c.phrase), c.positions) << c.phrase;
}
