#include "phrases/DocumentOverlap.h"
#include "phrases/PhraseLevels.h"
#include "phrases/PhraseTable.h"
#include "phrases/ReferenceOverlap.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <stdexcept>
#include <string>

using namespace orvanta;

namespace orvanta {

void PrintTo(const WordRange &range, std::ostream *out)
{
    *out << '[' << range.begin << ", " << range.end << ')';
}

} // namespace orvanta

namespace {

using Pairs = std::vector<OverlapPair>;
using Ranges = std::vector<WordRange>;

// "p q | r s" is a file of two lines.
OverlapFiles filesOf(const std::vector<std::string> &texts)
{
    OverlapFiles files;
    for (const std::string &text : texts) {
        files.emplace_back();
        for (const QByteArray &line : QByteArray::fromStdString(text).split('|'))
            files.back().push_back(line);
    }
    return files;
}

// The files counted as a run counts them, with their overlap index.
class CountedFiles {
public:
    explicit CountedFiles(const OverlapFiles &files)
    {
        for (const std::vector<QByteArray> &lines : files) {
            m_table.beginDocument();
            for (const QByteArray &line : lines)
                m_table.countLine(line);
        }
        m_index = OverlapIndex::build(m_table.wordIds(), m_table.documentStarts());
    }

    DocumentOverlap compare(std::uint32_t words, double percent = 100) const
    {
        return m_index->compare({words, percent});
    }

private:
    PhraseTable m_table{{}};
    std::optional<OverlapIndex> m_index;
};

struct Case {
    const char *name;
    std::vector<std::string> files;
    std::uint32_t words;
    double percent;
    Pairs expected;
};

void PrintTo(const Case &test, std::ostream *out)
{
    *out << test.name;
}

class OverlapCases : public testing::TestWithParam<Case> {};

} // namespace

TEST_P(OverlapCases, GivesThePairsAndAgreesWithThePlainSearch)
{
    const Case &test = GetParam();
    const OverlapFiles files = filesOf(test.files);
    const Pairs found = CountedFiles(files).compare(test.words, test.percent).pairs();
    EXPECT_EQ(found, test.expected);
    EXPECT_EQ(found, ReferenceOverlap(files, test.words).pairs(test.percent));
}

// Files are numbered from 0; positions count each word and one line break after each line.
INSTANTIATE_TEST_SUITE_P(
    Planted, OverlapCases,
    testing::Values(Case{"OneSentence", {"p q r s t", "u p q r s"}, 3, 100, {{0, 1, 5, 5, 4, 4}}},
                    Case{"NothingAcrossALine", {"p q | r s", "p q r s"}, 3, 100, {}},
                    Case{
                        "AtLineEnds", {"x p q r | p q r y", "p q r"}, 3, 100, {{0, 1, 8, 3, 6, 3}}},
                    Case{"RepeatedInsideOneFile",
                         {"p q r p q r", "p q r", "p q r p", "s t u s t u"},
                         3,
                         100,
                         {{0, 1, 6, 3, 6, 3}, {0, 2, 6, 4, 6, 4}, {1, 2, 3, 4, 3, 3}}},
                    Case{"OverlappingStretchesCountOnce",
                         {"a b c d e f g", "a b c d x", "c d e f y"},
                         3,
                         100,
                         {{0, 1, 7, 5, 4, 4}, {0, 2, 7, 5, 4, 4}}},
                    Case{"CaseIsIgnoredAsTheCountingIgnoresIt",
                         {"ÜBER Straße", "über STRASSE", "über straße"},
                         2,
                         100,
                         {{0, 2, 2, 2, 2, 2}}},
                    Case{"EmptyFilesShareNothing", {"", "a", "a b"}, 1, 100, {{1, 2, 1, 2, 1, 1}}},
                    Case{"RankedByTheLargerShareThenTheSmaller",
                         {"h1 h2 h3 | u v w", "h1 h2 h3 | u v w", "h1 h2 h3 | x", "h1 h2 h3 | y"},
                         3,
                         100,
                         {{0, 1, 6, 6, 6, 6},
                          {2, 3, 4, 4, 3, 3},
                          {0, 2, 6, 4, 3, 3},
                          {0, 3, 6, 4, 3, 3},
                          {1, 2, 6, 4, 3, 3},
                          {1, 3, 6, 4, 3, 3}}},
                    Case{"BoilerplateIsLeftOutAndAStretchInExactlyThePercentageKept",
                         {"h1 h2 h3 | u v w", "h1 h2 h3 | u v w", "h1 h2 h3 | x", "h1 h2 h3 | y"},
                         3,
                         50,
                         {{0, 1, 6, 6, 3, 3}}},
                    Case{"AStretchInHalfTheFilesIsLeftOutBelowHalf",
                         {"h1 h2 h3 | u v w", "h1 h2 h3 | u v w", "h1 h2 h3 | x", "h1 h2 h3 | y"},
                         3,
                         49,
                         {}}),
    [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

TEST(DocumentOverlap, SharedRangesMergeWhileTheyTouchButNeverAcrossALine)
{
    const OverlapFiles files = filesOf({"a b c d e f", "a b c | d e f", "x a b c d"});
    const DocumentOverlap overlap = CountedFiles(files).compare(3);
    const SharedRanges first = overlap.sharedRanges(0, 1);
    EXPECT_EQ(first.inFirst, (Ranges{{0, 6}}));
    EXPECT_EQ(first.inSecond, (Ranges{{7, 10}, {11, 14}}));
    const SharedRanges second = overlap.sharedRanges(2, 0);
    EXPECT_EQ(second.inFirst, (Ranges{{16, 20}}));
    EXPECT_EQ(second.inSecond, (Ranges{{0, 4}}));
    EXPECT_EQ(overlap.sharedRanges(1, 2).inFirst, (Ranges{{7, 10}}));
    EXPECT_EQ(overlap.sharedRanges(1, 1).inFirst, Ranges{});
}

// Boundaries

TEST(DocumentOverlap, EdgeCases)
{
    PhraseTable table{{}};
    const std::optional<OverlapIndex> none = OverlapIndex::build(table.wordIds(), {});
    ASSERT_TRUE(none);
    EXPECT_EQ(none->fileCount(), 1u);
    EXPECT_EQ(none->compare({}).pairs(), Pairs{});
    // A stretch length of 0 is taken as 1.
    const CountedFiles files(filesOf({"a", "A"}));
    EXPECT_EQ(files.compare(0).pairs(), (Pairs{{0, 1, 1, 1, 1, 1}}));
    EXPECT_EQ(files.compare(0).settings().stretchWords, 1u);
    EXPECT_EQ(files.compare(1, 0).pairs(), Pairs{});
}

TEST(DocumentOverlap, AStopRequestGivesNothing)
{
    const std::vector<std::uint32_t> ids{0, detail::kLineBreak, 0, detail::kLineBreak};
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(OverlapIndex::build(ids, {0, 2}, stop.get_token()));
    const std::optional<OverlapIndex> index = OverlapIndex::build(ids, {0, 2});
    ASSERT_EQ(index->compare({1, 100}).pairs().size(), 1u);
    EXPECT_EQ(index->compare({1, 100}, stop.get_token()).pairs(), Pairs{});
}

TEST(DocumentOverlap, RejectsFilesThatRunIntoEachOther)
{
    const std::vector<std::uint32_t> ids{0, 1, detail::kLineBreak};
    EXPECT_THROW(OverlapIndex::build(ids, {0, 1}), std::invalid_argument);
    EXPECT_THROW(OverlapIndex::build(ids, {0, 3, 2}), std::invalid_argument);
    EXPECT_NO_THROW(OverlapIndex::build(ids, {0, 3, 3}));
}

// Against the plain search, on generated files

namespace {

// Lines of random words in random case from a small vocabulary, with passages copied from one
// file into others: at line starts and ends, twice in one file, overlapping each other.
class GeneratedFiles {
public:
    explicit GeneratedFiles(std::uint32_t seed)
        : m_random(seed)
    {
    }

    OverlapFiles make()
    {
        const std::uint32_t vocabulary = 3 + below(12);
        OverlapFiles files(2 + below(5));
        for (std::vector<QByteArray> &lines : files) {
            for (std::uint32_t line = below(6); line > 0; --line)
                lines.push_back(randomLine(below(12), vocabulary));
        }
        for (std::uint32_t copies = below(6); copies > 0; --copies)
            plant(files);
        return files;
    }

private:
    std::uint32_t below(std::uint32_t bound)
    {
        return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(m_random);
    }

    QByteArray randomLine(std::uint32_t words, std::uint32_t vocabulary)
    {
        QByteArray line;
        for (std::uint32_t w = 0; w < words; ++w) {
            QByteArray word = "w" + QByteArray::number(below(vocabulary));
            if (below(4) == 0)
                word = word.toUpper();
            line += (w > 0 ? (below(5) == 0 ? "\t " : " ") : "") + word;
        }
        return line;
    }

    // A stretch of one file's line put at the start, the end or the middle of another line.
    void plant(OverlapFiles &files)
    {
        std::vector<QByteArray> &from = files[below(std::uint32_t(files.size()))];
        std::vector<QByteArray> &to = files[below(std::uint32_t(files.size()))];
        if (from.empty() || to.empty())
            return;
        const QList<QByteArray> words = from[below(std::uint32_t(from.size()))].split(' ');
        const std::uint32_t first = below(std::uint32_t(words.size()));
        const QByteArray passage = words.mid(first, 1 + below(10)).join(' ');
        QByteArray &line = to[below(std::uint32_t(to.size()))];
        switch (below(3)) {
        case 0:
            line = passage + ' ' + line;
            break;
        case 1:
            line = line + ' ' + passage;
            break;
        default:
            line = line.left(line.size() / 2) + ' ' + passage + ' ' + line.mid(line.size() / 2);
        }
    }

    std::mt19937 m_random;
};

} // namespace

TEST(DocumentOverlap, AgreesWithThePlainSearchOnGeneratedFiles)
{
    std::size_t pairsSeen = 0;
    std::size_t leftOut = 0;
    for (std::uint32_t seed = 0; seed < 150; ++seed) {
        const OverlapFiles files = GeneratedFiles(seed).make();
        const CountedFiles counted(files);
        for (const std::uint32_t words : {1u, 2u, 3u, 5u, 8u}) {
            const ReferenceOverlap reference(files, words);
            for (const double percent : {100.0, 60.0, 34.0}) {
                const DocumentOverlap overlap = counted.compare(words, percent);
                const Pairs expected = reference.pairs(percent);
                ASSERT_EQ(overlap.pairs(), expected)
                    << "seed " << seed << ", " << words << " words, " << percent << "%";
                pairsSeen += expected.size();
                leftOut += reference.pairs(100).size() - expected.size();
                for (const OverlapPair &pair : expected) {
                    const SharedRanges ranges = overlap.sharedRanges(pair.fileA, pair.fileB);
                    ASSERT_EQ(ranges.inFirst, reference.ranges(pair.fileA, pair.fileB, percent))
                        << "seed " << seed << ", " << words << " words";
                    ASSERT_EQ(ranges.inSecond, reference.ranges(pair.fileB, pair.fileA, percent))
                        << "seed " << seed << ", " << words << " words";
                }
            }
        }
    }
    // The generated files do share text, and some of it is common enough to be left out.
    EXPECT_GT(pairsSeen, 1000u);
    EXPECT_GT(leftOut, 100u);
}
