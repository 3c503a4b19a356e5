#include "QtPrinters.h"
#include "phrases/LengthList.h"
#include "phrases/PhraseTable.h"
#include "phrases/ReferenceCounter.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

using namespace orvanta;

namespace {

using Rows = std::vector<PhraseRow>;

PhraseRow row(const char *phrase, int words, int frequency)
{
    return {QString::fromUtf8(phrase), words, frequency};
}

// `finishReadingAt`: the number of lines after which the table is told reading is done.
Rows count(const std::vector<QByteArray> &lines, const std::vector<int> &lengths,
           std::size_t finishReadingAt = 0)
{
    PhraseTable table(lengths);
    for (std::size_t l = 0; l < lines.size(); ++l) {
        if (l == finishReadingAt && l > 0)
            table.finishReading();
        table.countLine(lines[l]);
    }
    PhraseResults results = table.extractRepeatedPhrases();
    results.sortForDisplay();
    Rows rows;
    for (qsizetype i = 0; i < results.size(); ++i)
        rows.push_back(results.row(i));
    return rows;
}

} // namespace

// Word splitting

TEST(PhraseTable, PhrasesSeenOnceGiveNoRow)
{
    EXPECT_TRUE(count({"one two three four"}, {2, 3}).empty());
    EXPECT_TRUE(count({}, {2}).empty());
}

TEST(PhraseTable, CaseIsFoldedAcrossFiles)
{
    EXPECT_EQ(count({"The End", "the end"}, {2}), (Rows{row("the end", 2, 2)}));
}

TEST(PhraseTable, CaseFoldingIsUnicodeAware)
{
    EXPECT_EQ(count({"ÜBER ALLES", "über alles", "Über Alles"}, {2}),
              (Rows{row("über alles", 2, 3)}));
    EXPECT_EQ(count({"ΣΟΦΙΑ ΚΑΙ", "σοφια και"}, {2}), (Rows{row("σοφια και", 2, 2)}));
}

TEST(PhraseTable, OnlyLettersChangeCaseInAsciiWords)
{
    // '@' and '[' border 'A' and 'Z'; adding 32 to them would give '`' and '{'.
    EXPECT_TRUE(count({"@ [", "` {"}, {2}).empty());
    EXPECT_EQ(count({"AZ Az", "az aZ"}, {2}), (Rows{row("az az", 2, 2)}));
}

TEST(PhraseTable, PunctuationStaysPartOfTheWord)
{
    EXPECT_TRUE(count({"the end", "the end."}, {2}).empty());
    EXPECT_EQ(count({"end.\fpage two", "END.\fPAGE two"}, {2}),
              (Rows{row("end.\fpage two", 2, 2)}));
}

TEST(PhraseTable, TabsCrsAndRunsOfSpacesSeparateWords)
{
    EXPECT_EQ(count({"red\tgreen", "  red     green  ", "red\rgreen"}, {2}),
              (Rows{row("red green", 2, 3)}));
}

TEST(PhraseTable, OtherWhitespaceIsPartOfTheWord)
{
    // A no-break space and a form feed do not split words.
    EXPECT_TRUE(count({"red\xc2\xa0green", "red green"}, {2}).empty());
    EXPECT_TRUE(count({"red\fgreen", "red green"}, {2}).empty());
}

TEST(PhraseTable, AByteOrderMarkIsPartOfItsWordWherever)
{
    EXPECT_TRUE(count({"a \xef\xbb\xbfx", "a x"}, {2}).empty());
    EXPECT_TRUE(count({"\xef\xbb\xbf"
                       "a x",
                       "a x"},
                      {2})
                    .empty());
}

TEST(PhraseTable, LinesAreNeverJoined)
{
    EXPECT_TRUE(count({"alpha beta", "gamma", "alpha", "beta gamma"}, {2, 3}).empty());
    EXPECT_EQ(count({"x alpha", "beta y", "alpha beta"}, {2}), Rows{});
}

TEST(PhraseTable, BlankAndWhitespaceOnlyLinesGiveNothing)
{
    EXPECT_TRUE(count({"", " \t \r ", ""}, {1, 2}).empty());
}

TEST(PhraseTable, LinesShorterThanTheLengthGiveNoPhrase)
{
    EXPECT_TRUE(count({"a b", "a b"}, {3}).empty());
    EXPECT_EQ(count({"a b c", "a b c"}, {3}), (Rows{row("a b c", 3, 2)}));
}

// Counting

TEST(PhraseTable, OverlappingOccurrencesCount)
{
    EXPECT_EQ(count({"a a a"}, {2}), (Rows{row("a a", 2, 2)}));
    EXPECT_EQ(count({"a a a"}, {2, 3}), (Rows{row("a a", 2, 2)}));
    EXPECT_EQ(count({"a a a a"}, {2, 3}), (Rows{row("a a a", 3, 2), row("a a", 2, 3)}));
}

TEST(PhraseTable, RepeatedLengthsCountOnce)
{
    EXPECT_EQ(count({"x y", "x y"}, {2, 2, 2}), (Rows{row("x y", 2, 2)}));
    EXPECT_TRUE(count({"x y z"}, {2, 2}).empty());
}

TEST(PhraseTable, LengthsBelowOneAreIgnored)
{
    EXPECT_TRUE(count({"x y z", "p q"}, {0, -1}).empty());
    EXPECT_EQ(count({"x y", "x z"}, {0, 1}), (Rows{row("x", 1, 2)}));
}

TEST(PhraseTable, OnlyRequestedLengthsAreReportedEvenWhenLongerOnesAreCounted)
{
    const std::vector<QByteArray> lines{"one two three four", "one two three four"};
    EXPECT_EQ(count(lines, {4}), (Rows{row("one two three four", 4, 2)}));
    EXPECT_EQ(count(lines, {2, 4}), (Rows{row("one two", 2, 2), row("one two three four", 4, 2),
                                          row("three four", 2, 2), row("two three", 2, 2)}));
}

TEST(PhraseTable, CountsMergeAcrossLines)
{
    EXPECT_EQ(count({"good morning all", "and good morning", "GOOD MORNING!"}, {2}),
              (Rows{row("good morning", 2, 2)}));
}

TEST(PhraseTable, AStopRequestEndsExtractionEarly)
{
    PhraseTable table({2, 3, 4});
    for (int i = 0; i < 50; ++i)
        table.countLine("the same line of words again");
    std::stop_source stop;
    stop.request_stop();
    EXPECT_LT(table.extractRepeatedPhrases(stop.get_token()).size(),
              table.extractRepeatedPhrases().size());
}

// Against a plain reference counter

TEST(PhraseTable, AgreesWithAPlainCounterOnRandomText)
{
    const char *vocabulary[] = {"a", "A", "b", "the", "The", "end", "end.", "Öl", "öl", "x\fy"};
    const char *separators[] = {" ", " ", " ", "  ", "\t", "\r"};
    QRandomGenerator random(20261208);
    for (int round = 0; round < 40; ++round) {
        std::vector<QByteArray> lines;
        const int lineCount = random.bounded(1, 30);
        for (int l = 0; l < lineCount; ++l) {
            QByteArray line;
            const int words = random.bounded(0, 12);
            for (int w = 0; w < words; ++w) {
                line += separators[random.bounded(int(std::size(separators)))];
                line += vocabulary[random.bounded(int(std::size(vocabulary)))];
            }
            lines.push_back(line);
        }
        std::vector<int> lengths;
        for (int n = 0; n < 3; ++n)
            lengths.push_back(random.bounded(0, 8));
        // Lines counted after the table was told reading was done count the same.
        const std::size_t finishReadingAt = round % 2 == 0 ? 0 : lines.size() / 2;
        ASSERT_EQ(count(lines, lengths, finishReadingAt), referenceCount(lines, lengths))
            << "round " << round;
    }
}

// The Files column: a phrase many times in one file, once in each of many files, at the first
// and last lines of files, against the plain counter.
TEST(PhraseTable, FilesCountTheDistinctFilesAPhraseOccursIn)
{
    const char *vocabulary[] = {"a", "b", "c", "the", "end"};
    QRandomGenerator random(42);
    for (int round = 0; round < 40; ++round) {
        std::vector<std::vector<QByteArray>> files(size_t(random.bounded(1, 8)));
        for (auto &lines : files) {
            const int lineCount = random.bounded(0, 6);
            for (int l = 0; l < lineCount; ++l) {
                QByteArray line;
                for (int w = random.bounded(0, 8); w > 0; --w)
                    line += QByteArray(" ") + vocabulary[random.bounded(5)];
                lines.push_back(line);
            }
        }
        const int length = random.bounded(1, 4);
        PhraseTable table({length});
        for (const auto &lines : files) {
            table.beginDocument();
            for (const QByteArray &line : lines)
                table.countLine(line);
        }
        const PhraseResults results = table.extractRepeatedPhrases();
        std::vector<FileCountedRow> counted;
        for (qsizetype i = 0; i < results.size(); ++i)
            counted.push_back({results.row(i).phrase, results.frequency(i), results.files(i)});
        std::sort(counted.begin(), counted.end());
        ASSERT_EQ(counted, referenceCountByFile(files, length)) << "round " << round;
    }
}

// Big enough that both cores share the work: over 200,000 word positions and 50,000 repeated
// phrases of one length.
TEST(PhraseTable, FilesAndCountsHoldWhenBothCoresShareTheWork)
{
    QRandomGenerator random(8);
    std::vector<std::vector<QByteArray>> files(3);
    for (int l = 0; l < 24000; ++l) {
        QByteArray line;
        for (int w = random.bounded(1, 21); w > 0; --w)
            line += " w" + QByteArray::number(random.bounded(500));
        files[size_t(random.bounded(3))].push_back(line);
    }
    PhraseTable table({2});
    for (const auto &lines : files) {
        table.beginDocument();
        for (const QByteArray &line : lines)
            table.countLine(line);
    }
    ASSERT_GT(table.wordCount(), 200000u);
    const PhraseResults results = table.extractRepeatedPhrases();
    ASSERT_GT(results.size(), 50000);
    std::vector<FileCountedRow> counted;
    for (qsizetype i = 0; i < results.size(); ++i)
        counted.push_back({results.row(i).phrase, results.frequency(i), results.files(i)});
    std::sort(counted.begin(), counted.end());
    EXPECT_EQ(counted, referenceCountByFile(files, 2));
}
