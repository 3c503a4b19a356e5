#include "Fixtures.h"
#include "QtPrinters.h"
#include "RecordingRunHost.h"
#include "TestSupport.h"
#include "documents/TextStore.h"
#include "run/CountingRun.h"
#include "run/OccurrenceFinder.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <set>

using namespace orvanta;

namespace {

struct Place {
    int source;
    int page;
    int line;
    std::uint64_t word; // of the file
    bool operator<(const Place &other) const
    {
        return std::tie(source, page, line, word) <
               std::tie(other.source, other.page, other.line, other.word);
    }
    bool operator==(const Place &) const = default;
};

// A plain search: pages split at form feeds, lines at LF, words at blanks, every window
// compared in lower case.
std::vector<Place> plainSearch(const std::vector<QByteArray> &texts, const QString &phrase)
{
    const QStringList wanted = phrase.split(QLatin1Char(' '));
    std::vector<Place> places;
    for (size_t source = 0; source < texts.size(); ++source) {
        std::uint64_t wordsBefore = 0;
        const QList<QByteArray> pages = texts[source].split('\f');
        for (qsizetype page = 0; page < pages.size(); ++page) {
            const QList<QByteArray> lines = pages[page].split('\n');
            for (qsizetype line = 0; line < lines.size(); ++line) {
                const QStringList words = QString::fromUtf8(lines[line])
                                              .toLower()
                                              .split(QLatin1Char(' '), Qt::SkipEmptyParts);
                for (qsizetype w = 0; w + wanted.size() <= words.size(); ++w) {
                    if (words.mid(w, wanted.size()) == wanted)
                        places.push_back({int(source), int(page + 1), int(line + 1),
                                          wordsBefore + std::uint64_t(w)});
                }
                wordsBefore += std::uint64_t(words.size());
            }
        }
    }
    return places;
}

class OccurrenceFinderTest : public ::testing::Test {
protected:
    RunOutcome count(const QStringList &paths, int length)
    {
        CountingRunOptions options;
        options.readsAsText = [](const QString &) { return true; };
        return m_run.run(paths, {length}, options);
    }
    void TearDown() override { EXPECT_TRUE(m_host.reports.empty()); }

    ScopedTmpdir m_tmp;
    RecordingRunHost m_host;
    TextStore m_store;
    CountingRun m_run{m_host, m_host, m_store, {}};
    OccurrenceFinder m_finder{m_store, {}};
};

} // namespace

// Every result's occurrences, against a plain search: a phrase many times in one file, once in
// many files, at the first and last lines of pages; as many as its frequency, in as many files
// as its Files column says, each after as many words of its file as counted.
TEST_F(OccurrenceFinderTest, FindsWhatWasCountedWherePlainSearchFindsIt)
{
    const char *vocabulary[] = {"a", "A", "b", "end", "End", "of"};
    QRandomGenerator random(7);
    for (int round = 0; round < 12; ++round) {
        std::vector<QByteArray> texts;
        QStringList paths;
        for (int file = random.bounded(1, 6); file > 0; --file) {
            QByteArray text;
            for (int line = random.bounded(1, 12); line > 0; --line) {
                for (int word = random.bounded(0, 7); word > 0; --word)
                    text += vocabulary[random.bounded(6)] + QByteArray(" ");
                text += random.bounded(4) == 0 ? "\f" : "\n";
            }
            texts.push_back(text);
            paths << writeFile(
                m_tmp.filePath(QStringLiteral("r%1-f%2.txt").arg(round).arg(paths.size())), text);
        }
        const int length = random.bounded(1, 4);
        const RunOutcome outcome = count(paths, length);
        const PhraseResults &results = outcome.phrases;
        for (qsizetype row = 0; row < results.size(); ++row) {
            const QString phrase = results.row(row).phrase;
            const Occurrences found = m_finder.find(outcome.sources, phrase);
            std::vector<Place> places;
            std::set<int> files;
            for (const Occurrence &occurrence : found.found) {
                places.push_back(
                    {occurrence.source, occurrence.page, occurrence.line, occurrence.word});
                EXPECT_LT(occurrence.word, outcome.corpus.wordsByFile[size_t(occurrence.source)]);
                files.insert(occurrence.source);
                EXPECT_EQ(occurrence.phrase.toLower(), phrase);
            }
            ASSERT_EQ(places, plainSearch(texts, phrase)) << phrase.toStdString();
            EXPECT_EQ(int(places.size()), results.frequency(row));
            EXPECT_EQ(int(files.size()), results.files(row));
            EXPECT_TRUE(found.unavailable.isEmpty());
        }
    }
}

// Words parted by tabs, carriage returns or several spaces are one phrase to the engine, and to
// the finder.
TEST_F(OccurrenceFinderTest, FindsPhrasesWhoseWordsArePartedByAnySeparators)
{
    const QString path = writeFile(m_tmp.filePath(QStringLiteral("apart.txt")),
                                   "Blue\tmoon rising\nblue  moon\rrising and BLUE moon\n");
    const RunOutcome outcome = count({path}, 2);
    const Occurrences found = m_finder.find(outcome.sources, QStringLiteral("blue moon"));
    ASSERT_EQ(found.found.size(), 3u);
    EXPECT_EQ(found.found[0].phrase, QStringLiteral("Blue moon"));
    EXPECT_EQ(found.found[1].phrase, QStringLiteral("blue  moon"));
    EXPECT_EQ(found.found[2].phrase, QStringLiteral("BLUE moon"));
    EXPECT_EQ(m_finder.find(outcome.sources, QStringLiteral("moon rising")).found.size(), 2u);
}

// Long lines: the context is the 60 characters next to the phrase, whatever their bytes, also
// when many separators or characters of several bytes stand next to it.
TEST_F(OccurrenceFinderTest, ContextOnLongLinesIsTheCharactersNextToThePhrase)
{
    const QString wide = QString(150, QChar(0x00E9)) + QChar(0x20AC) + QStringLiteral("x");
    const QString spaces(400, QLatin1Char(' '));
    const QStringList lines{wide + QStringLiteral(" blue moon ") + wide,
                            QStringLiteral("far ") + spaces + QStringLiteral("blue moon") + spaces +
                                QStringLiteral("away")};
    const QString path = writeFile(m_tmp.filePath(QStringLiteral("long.txt")),
                                   lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    const RunOutcome outcome = count({path}, 2);
    const Occurrences found = m_finder.find(outcome.sources, QStringLiteral("blue moon"));
    ASSERT_EQ(found.found.size(), 2u);
    EXPECT_EQ(found.found[0].before, wide.right(60));
    EXPECT_EQ(found.found[0].after, wide.left(60));
    EXPECT_EQ(found.found[1].before, (QStringLiteral("far ") + spaces).trimmed().right(60));
    EXPECT_EQ(found.found[1].after, QStringLiteral("away"));
    EXPECT_EQ(found.found[1].text, lines[1]);
}

TEST_F(OccurrenceFinderTest, PdfOccurrencesCarryTheirPageAndTheirLineInContext)
{
    RunOutcome outcome = m_run.run({fixture("text-a.pdf"), fixture("text-b.pdf")}, {3});
    const Occurrences found = m_finder.find(outcome.sources, QStringLiteral("the lazy dog"));
    ASSERT_EQ(found.found.size(), 2u); // text-a has "the lazy dog." only
    EXPECT_EQ(found.found[0].page, 1);
    const Occurrence &onPageTwo = found.found[1];
    EXPECT_EQ(onPageTwo.source, 1);
    EXPECT_EQ(onPageTwo.page, 2);
    EXPECT_EQ(onPageTwo.line, 1);
    EXPECT_EQ(onPageTwo.before, QStringLiteral("On page two"));
    EXPECT_EQ(onPageTwo.phrase, QStringLiteral("the lazy dog"));
    EXPECT_EQ(onPageTwo.after, QStringLiteral("wakes up."));
}

// The store may drop a text past its limit; the finder converts it again, but never one that
// needed a password, which is kept nowhere.
TEST_F(OccurrenceFinderTest, ATextTheStoreDroppedIsConvertedAgainUnlessItNeededAPassword)
{
    TextStore tiny(1);
    CountingRun run(m_host, m_host, tiny, {});
    CountingRunOptions options;
    options.promptForPassword = true;
    m_host.answer = [](const QString &prompt) {
        return prompt.contains(QStringLiteral("user-password")) ? QStringLiteral("open sesame")
                                                                : QString();
    };
    const RunOutcome outcome = run.run(
        {fixture("user-password.pdf"), fixture("text-a.pdf"), fixture("text-b.pdf")}, {2}, options);
    const OccurrenceFinder finder(tiny, {});
    const Occurrences found = finder.find(outcome.sources, QStringLiteral("the end"));
    EXPECT_EQ(found.unavailable, QStringList{fixture("user-password.pdf")});
    EXPECT_EQ(found.found.size(), 4u);
}

// With recognition on, a scanned page is counted like any page, and its occurrences are marked
// as read by recognition: its words may be wrong.
TEST_F(OccurrenceFinderTest, ScannedPagesAreCountedAndTheirOccurrencesMarked)
{
    const QString pdf = QStringLiteral(ORVANTA_SCAN_DIR "/typed-then-scanned.pdf");
    CountingRunOptions options;
    options.recognitionLanguages = {QStringLiteral("eng")};
    const RunOutcome outcome = m_run.run({pdf, pdf}, {3}, options);
    EXPECT_TRUE(outcome.failures.empty());
    const OccurrenceFinder finder(m_store, {});
    const Occurrences scanned = finder.find(outcome.sources, QStringLiteral("picture of printed"));
    ASSERT_EQ(scanned.found.size(), 2u);
    EXPECT_EQ(scanned.found[0].page, 2);
    EXPECT_TRUE(scanned.found[0].recognised);
    const Occurrences typed = finder.find(outcome.sources, QStringLiteral("first page was"));
    ASSERT_EQ(typed.found.size(), 2u);
    EXPECT_FALSE(typed.found[0].recognised);
    EXPECT_EQ(m_store.recognisedPages(), 1);

    options.recognitionLanguages = {QStringLiteral("xyz")};
    EXPECT_FALSE(m_run.run({pdf}, {3}, options).ran);
}

// When words need a letter or digit, a phrase never spans ". . ." or "--", in counting and in
// finding alike, and what stands around a phrase is still the whole line.
TEST_F(OccurrenceFinderTest, WordsWithoutALetterPartPhrasesButStayInTheContext)
{
    const QString path = writeFile(m_tmp.filePath(QStringLiteral("leaders.txt")),
                                   "Contents . . . . 12 the end\nthe end -- of it\nend -- of it\n");
    CountingRunOptions options;
    options.readsAsText = [](const QString &) { return true; };
    options.text.wordsNeedLetters = true;
    const RunOutcome outcome = m_run.run({path}, {2}, options);
    ASSERT_EQ(outcome.phrases.size(), 2);
    EXPECT_EQ(outcome.phrases.row(0).phrase, QStringLiteral("of it"));
    EXPECT_EQ(outcome.phrases.row(1).phrase, QStringLiteral("the end"));
    const OccurrenceFinder finder(m_store, options.text);
    EXPECT_TRUE(finder.find(outcome.sources, QStringLiteral("end --")).found.empty());
    const Occurrences found = finder.find(outcome.sources, QStringLiteral("the end"));
    ASSERT_EQ(found.found.size(), 2u);
    EXPECT_EQ(found.found[0].before, QStringLiteral("Contents . . . . 12"));
    EXPECT_EQ(found.found[1].after, QStringLiteral("-- of it"));
    EXPECT_EQ(found.found[1].text, QStringLiteral("the end -- of it"));
    EXPECT_EQ(outcome.corpus.wordsByFile[0], 11u);
    EXPECT_EQ(found.found[0].word, 2u); // after "Contents" and "12"
    EXPECT_EQ(found.found[1].word, 4u);
}
