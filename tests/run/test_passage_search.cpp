#include "QtPrinters.h"
#include "TestSupport.h"
#include "documents/TextStore.h"
#include "phrases/PhraseTable.h"
#include "run/OccurrenceFinder.h"
#include "run/PassageSearch.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

struct Found {
    std::string text;
    int words;
    int frequency;
    int files;
    std::vector<PassagePlace> places;
    bool operator==(const Found &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Found &found)
{
    out << '"' << found.text << "\" " << found.words << " words, " << found.frequency << "x in "
        << found.files << " files at";
    for (const PassagePlace &place : found.places)
        out << " (" << place.source << ' ' << place.page << ' ' << place.line << ')';
    return out;
}

// Files of lines; each line on its own line of page 1, numbered from 1.
class PassageSearchTest : public ::testing::Test {
protected:
    void file(const std::vector<QByteArray> &lines)
    {
        m_collector.beginSource();
        int number = 0;
        for (const QByteArray &line : lines) {
            ++number;
            const qsizetype words = line.simplified().count(' ') + 1;
            std::vector<WordPlace> places(size_t(words), WordPlace{{1, number}});
            m_collector.countLine({line, places});
        }
    }

    std::vector<Found> passages(int minimumWords)
    {
        const RepeatedPassages found = m_collector.find(minimumWords);
        std::vector<Found> all;
        for (qsizetype row = 0; row < found.rows.size(); ++row) {
            const std::span<const PassagePlace> places = found.occurrences(row);
            all.push_back({std::string(found.rows.phraseUtf8(row)), found.rows.wordCount(row),
                           found.rows.frequency(row), found.rows.files(row),
                           std::vector<PassagePlace>(places.begin(), places.end())});
        }
        return all;
    }

    PhraseTable m_table{{}};
    PassageCollector m_collector{m_table};
};

TEST_F(PassageSearchTest, ARepeatedSentenceIsOnePassageWithoutItsFragments)
{
    file({"Preface", "the cat sat on the mat today", "an aside", "THE cat sat on the Mat today"});
    EXPECT_EQ(passages(3), (std::vector<Found>{
                               {"the cat sat on the mat today", 7, 2, 1, {{0, 1, 2}, {0, 1, 4}}}}));
}

TEST_F(PassageSearchTest, AFragmentThatAlsoStandsElsewhereIsListed)
{
    file({"the cat sat on the mat today", "the cat sat on the mat today", "so the cat sat here"});
    EXPECT_EQ(passages(3), (std::vector<Found>{
                               {"the cat sat", 3, 3, 1, {{0, 1, 1}, {0, 1, 2}, {0, 1, 3}}},
                               {"the cat sat on the mat today", 7, 2, 1, {{0, 1, 1}, {0, 1, 2}}}}));
}

TEST_F(PassageSearchTest, APassageCountsEachFileItIsInAndNeverCrossesFromOneToTheNext)
{
    file({"one two three four"});
    file({"x y z w", "one two three four x y z w"});
    file({"one two three four x y z w"});
    EXPECT_EQ(passages(4), (std::vector<Found>{
                               {"one two three four", 4, 3, 3, {{0, 1, 1}, {1, 1, 2}, {2, 1, 1}}},
                               {"x y z w", 4, 3, 2, {{1, 1, 1}, {1, 1, 2}, {2, 1, 1}}},
                               {"one two three four x y z w", 8, 2, 2, {{1, 1, 2}, {2, 1, 1}}}}));
}

// The texts of a finished run read again, by its text options, keep the run's source numbers.
TEST(PassageSearchOfCountedTexts, ReadsTheSourcesAgainAndNamesThoseGone)
{
    ScopedTmpdir tmp;
    const QString a =
        writeFile(tmp.filePath(QStringLiteral("a.txt")), "Say: it rains\nin spain.\n");
    const QString b = writeFile(tmp.filePath(QStringLiteral("b.txt")), "\fit rains in Spain\n");
    const QString gone = tmp.filePath(QStringLiteral("gone.txt"));
    TextStore store;
    TextOptions options;
    options.joinWrappedLines = true;
    options.ignorePunctuation = true;
    const PassageSearch search = searchPassages(
        OccurrenceFinder(store, options),
        {{gone, std::nullopt, true, {}}, {a, std::nullopt, true, {}}, {b, std::nullopt, true, {}}},
        4);
    EXPECT_EQ(search.unavailable, QStringList{gone});
    ASSERT_EQ(search.passages.rows.size(), 1);
    EXPECT_EQ(search.passages.rows.row(0), (PhraseRow{QStringLiteral("it rains in spain"), 4, 2}));
    EXPECT_EQ(search.passages.rows.files(0), 2);
    const std::span<const PassagePlace> places = search.passages.occurrences(0);
    EXPECT_EQ(std::vector(places.begin(), places.end()),
              (std::vector<PassagePlace>{{1, 1, 1}, {2, 2, 1}}));
}

} // namespace

// Past the bounds only the first places of a passage are listed; its frequency and files still
// count every occurrence.
TEST_F(PassageSearchTest, APassageWithMorePlacesThanListedStillCountsThemAll)
{
    const QByteArray run = QByteArray("w ").repeated(150).trimmed();
    file({run});
    file({run});
    const RepeatedPassages found = m_collector.find(8);
    ASSERT_GT(found.rows.size(), 0);
    for (qsizetype row = 0; row < found.rows.size(); ++row) {
        const int length = found.rows.wordCount(row);
        EXPECT_EQ(found.rows.frequency(row), 2 * (151 - length)) << length;
        EXPECT_EQ(found.rows.files(row), 2) << length;
        EXPECT_LE(found.occurrences(row).size(), PassageBounds().listedOccurrences);
    }
    EXPECT_TRUE(leftOutPassagesText(found).isEmpty());
}
