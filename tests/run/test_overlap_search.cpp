#include "QtPrinters.h"
#include "TestSupport.h"
#include "documents/TextStore.h"
#include "phrases/ReferenceOverlap.h"
#include "run/OverlapSearch.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace orvanta {

void PrintTo(const SharedStretch &stretch, std::ostream *out)
{
    *out << '"' << stretch.text.toStdString() << "\" " << stretch.words << " words, source "
         << stretch.first.source << " p" << stretch.first.page << "l" << stretch.first.line
         << " to p" << stretch.last.page << "l" << stretch.last.line << ", line "
         << stretch.textLine << " [" << stretch.begin << ", " << stretch.end << "), place "
         << stretch.placeOnPage;
}

} // namespace orvanta

namespace {

using Pairs = std::vector<OverlapPair>;
using Stretches = std::vector<SharedStretch>;

// Plain text files read as a run reads them, by the given text options.
class OverlapSearchTest : public ::testing::Test {
protected:
    CountedSource file(const char *name, const QByteArray &text)
    {
        return {writeFile(m_tmp.filePath(QString::fromUtf8(name)), text), std::nullopt, true, {}};
    }

    std::shared_ptr<const OverlapTexts> read(const std::vector<CountedSource> &sources,
                                             TextOptions options = {})
    {
        return OverlapTexts::read(OccurrenceFinder(m_store, options), sources);
    }

    // The lines of each source as the run counts them, for the plain search.
    OverlapFiles linesOf(const std::vector<CountedSource> &sources, TextOptions options)
    {
        OverlapFiles files;
        (void)OccurrenceFinder(m_store, options)
            .readCountedTexts(
                sources, [&](int, const std::vector<int> &) { files.emplace_back(); },
                [&](const CountedLine &line) { files.back().push_back(line.text.toByteArray()); });
        return files;
    }

    ScopedTmpdir m_tmp;
    TextStore m_store;
};

SharedStretch stretch(const char *text, PassagePlace first, LinePlace last, int textLine,
                      qsizetype begin, int placeOnPage = 0)
{
    const QString words = QString::fromUtf8(text);
    return {int(words.count(QLatin1Char(' ')) + 1),
            first,
            last,
            textLine,
            begin,
            begin + words.size(),
            words,
            placeOnPage};
}

} // namespace

// Wrapped lines joined into paragraphs and punctuation ignored: a stretch may cross a line
// inside a paragraph, never a page break; the unread file keeps its number.
TEST_F(OverlapSearchTest, ComparesTheTextsAsTheRunCountedThem)
{
    const std::vector<CountedSource> sources{
        file("a.txt", "Say: it rains\nin Spain today.\n\fthe cat sat on the mat\n"),
        {m_tmp.filePath(QStringLiteral("gone.txt")), std::nullopt, true, {}},
        file("b.txt", "\fit rains in spain\nthe cat sat on\fthe mat\n"),
        file("c.txt", "it rains\fin spain today\n")};
    TextOptions options;
    options.joinWrappedLines = true;
    options.ignorePunctuation = true;
    const std::shared_ptr<const OverlapTexts> texts = read(sources, options);
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->unavailable(), QStringList{sources[1].path});
    EXPECT_EQ(texts->compare({4, 100}).pairs(), (Pairs{{0, 2, 12, 10, 8, 8}}));
    EXPECT_EQ(read(sources)->compare({4, 100}).pairs(), (Pairs{{0, 2, 12, 10, 4, 4}}));

    const OverlapFiles lines = linesOf(sources, options);
    for (const std::uint32_t words : {1u, 2u, 3u, 4u, 6u}) {
        for (const double percent : {100.0, 50.0, 25.0})
            EXPECT_EQ(texts->compare({words, percent}).pairs(),
                      ReferenceOverlap(lines, words).pairs(percent))
                << words << " words, " << percent << "%";
    }
}

TEST_F(OverlapSearchTest, APairSideBySideHasItsStretchesWithTheirPagesAndLines)
{
    const std::vector<CountedSource> sources{
        file("a.txt", "Say: it rains\nin Spain today.\n\fthe cat sat on the mat\n"),
        file("b.txt", "\fit rains in spain\nthe cat sat on\fthe mat\n")};
    TextOptions options;
    options.joinWrappedLines = true;
    const std::shared_ptr<const OverlapTexts> texts = read(sources, options);
    const PairReading pair = texts->readPair(texts->compare({4, 100}), 0, 1);
    EXPECT_EQ(pair.unavailable, QStringList());
    EXPECT_EQ(pair.first.lines, (QStringList{QStringLiteral("Say: it rains in Spain today."),
                                             QStringLiteral("the cat sat on the mat")}));
    EXPECT_EQ(pair.first.linePlaces, (std::vector<LinePlace>{{1, 1}, {2, 1}}));
    EXPECT_EQ(pair.first.stretches,
              (Stretches{stretch("it rains in Spain", {0, 1, 1}, {1, 2}, 0, 5),
                         stretch("the cat sat on", {0, 2, 1}, {2, 1}, 1, 0)}));
    EXPECT_EQ(pair.second.source, 1);
    // Its two stretches touch in one paragraph: they are shown as one.
    EXPECT_EQ(pair.second.stretches,
              (Stretches{stretch("it rains in spain the cat sat on", {1, 2, 1}, {2, 2}, 0, 0)}));
}

// Offsets count UTF-16 characters as the window shows them; the place on the page counts the
// earlier stretches of the same words in any case, as the page view marks them.
TEST_F(OverlapSearchTest, StretchesStandWhereTheWindowShowsThem)
{
    const std::vector<CountedSource> sources{
        file("x.txt", "\xF0\x9D\x92\x9C \xC3\xA9\tthe cat sat\nThe Cat sat\n"),
        file("y.txt", "the cat sat\n")};
    const std::shared_ptr<const OverlapTexts> texts = read(sources);
    const PairReading pair = texts->readPair(texts->compare({3, 100}), 0, 1);
    EXPECT_EQ(pair.first.stretches,
              (Stretches{stretch("the cat sat", {0, 1, 1}, {1, 1}, 0, 5),
                         stretch("The Cat sat", {0, 1, 2}, {1, 2}, 1, 0, 1)}));
    EXPECT_EQ(pair.first.lines.front(), QString::fromUtf8("\xF0\x9D\x92\x9C \xC3\xA9 the cat sat"));
    EXPECT_EQ(pair.second.stretches, (Stretches{stretch("the cat sat", {1, 1, 1}, {1, 1}, 0, 0)}));
}

// Changing the stretch length or the boilerplate share reads nothing again; a file changed
// since is named, and its stretches keep their pages without a place in its text.
TEST_F(OverlapSearchTest, ComparesAgainWithoutReadingAndNamesAFileChangedSince)
{
    const std::vector<CountedSource> sources{file("x.txt", "a b c d\n"),
                                             file("y.txt", "x a b c\n")};
    const std::shared_ptr<const OverlapTexts> texts = read(sources);
    writeFile(sources[1].path, "nothing like it\n");
    ASSERT_TRUE(QFile::remove(sources[0].path));
    EXPECT_EQ(texts->compare({3, 100}).pairs(), (Pairs{{0, 1, 4, 4, 3, 3}}));
    EXPECT_EQ(texts->compare({4, 100}).pairs(), Pairs{});
    EXPECT_EQ(texts->compare({3, 50}).pairs(), Pairs{});

    const PairReading pair = texts->readPair(texts->compare({3, 100}), 0, 1);
    EXPECT_EQ(pair.unavailable, (QStringList{sources[0].path, sources[1].path}));
    EXPECT_TRUE(pair.second.lines.isEmpty());
    EXPECT_EQ(pair.second.stretches, (Stretches{{3, {1, 1, 1}, {1, 1}, -1, 0, 0, "a b c", 0}}));
}
