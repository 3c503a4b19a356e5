#include "FakeConverter.h"
#include "Fixtures.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "documents/TextStore.h"
#include "phrases/PhraseTable.h"
#include "run/CountingRun.h"

#include <gtest/gtest.h>

#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace orvanta;

namespace {

class RecordingHost : public CountingRunHost, public ErrorSink {
public:
    void showNotice(const QString &text) override { notices << text; }
    QString askPassword(const QString &prompt, const QString &title) override
    {
        prompts << prompt;
        titles << title;
        if (passwords.empty())
            return {};
        const QString password = passwords.front();
        passwords.pop_front();
        return password;
    }
    void setBusy(bool busy) override { busyChanges.push_back(busy); }
    void reportProgress(const RunProgress &progress) override
    {
        if (progress.stage == RunProgress::Stage::Converting)
            fromStore.push_back(progress.fromStore);
    }
    void showResults(PhraseResults results) override
    {
        rows.clear();
        for (qsizetype i = 0; i < results.size(); ++i)
            rows.push_back(results.row(i));
        resultsShown = true;
        shown = std::move(results);
    }
    ErrorSink &errorSink() override { return *this; }
    void report(const ErrorReport &report) override { reports.push_back(report); }

    QStringList notices;
    QStringList prompts;
    QStringList titles;
    std::deque<QString> passwords;
    std::vector<bool> busyChanges;
    std::vector<bool> fromStore;
    std::vector<PhraseRow> rows;
    PhraseResults shown;
    bool resultsShown = false;
    std::vector<ErrorReport> reports;
};

class CountingRunTest : public ::testing::Test {
protected:
    RunOutcome run(const QStringList &paths, const std::vector<int> &lengths,
                   CountingRunOptions options = {})
    {
        return m_run.run(paths, lengths, options);
    }

    QString copyOf(const char *name, const QString &as)
    {
        const QString copy = m_tmp.filePath(as);
        QFile::copy(fixture(name), copy);
        return copy;
    }

    ScopedTmpdir m_tmp;
    RecordingHost m_host;
    TextStore m_store;
    CountingRun m_run{m_host, m_store, locationTag(QStringLiteral("Test"), QStringLiteral("Run"))};
};

PhraseRow row(const char *phrase, int words, int frequency)
{
    return {QString::fromUtf8(phrase), words, frequency};
}

} // namespace

// Early stops

TEST_F(CountingRunTest, AnEmptyListOrNoUsableLengthIsToldAndTheResultsStay)
{
    EXPECT_FALSE(run({}, {4}).ran);
    run({fixture("text-a.pdf")}, {});
    run({fixture("text-a.pdf")}, {0, -3});
    EXPECT_EQ(m_host.notices,
              (QStringList{QStringLiteral("No files added."),
                           QStringLiteral("You forgot to select number of phrases."),
                           QStringLiteral("You forgot to select number of phrases.")}));
    EXPECT_FALSE(m_host.resultsShown);
    EXPECT_FALSE(m_run.isBusy());
}

// Converting and counting

TEST_F(CountingRunTest, CountsPhrasesAcrossFilesAndSaysDone)
{
    const RunOutcome outcome = run({fixture("text-a.pdf"), fixture("text-b.pdf")}, {4});
    EXPECT_TRUE(outcome.ran);
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(m_host.notices, QStringList{QStringLiteral("Done.")});
    EXPECT_EQ(m_host.rows, (std::vector<PhraseRow>{
                               row("the fox goes home.", 4, 2), row("the quick brown fox", 4, 3),
                               row("at the end of", 4, 4), row("the end of the", 4, 4)}));
    EXPECT_EQ(m_host.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(m_host.reports.empty());
}

// The converter puts a form feed before the first word of every page; it belongs to no word,
// so "on page" opening page two is the same phrase as anywhere else.
TEST_F(CountingRunTest, NoPhraseCarriesAPageBreak)
{
    run({fixture("text-b.pdf"), fixture("text-b.pdf")}, {2});
    for (const PhraseRow &found : m_host.rows)
        EXPECT_FALSE(found.phrase.contains(QLatin1Char('\f'))) << found.phrase.toStdString();
    EXPECT_NE(std::find(m_host.rows.begin(), m_host.rows.end(), row("on page", 2, 2)),
              m_host.rows.end());
}

TEST_F(CountingRunTest, EachKindOfUnreadableFileGetsItsReasonInListOrder)
{
    const QString scanned = fixture("scanned-3.pdf");
    const QString damaged = fixture("damaged.pdf");
    const QString empty = fixture("empty.pdf");
    const QString notPdf = fixture("not-a-pdf.pdf");
    const QString locked = fixture("user-password.pdf");
    const QString missing = m_tmp.filePath(QStringLiteral("gone.pdf"));
    const QString badName = m_tmp.filePath(QStringLiteral("caf\uFFFD.pdf"));
    const RunOutcome outcome = run(
        {scanned, damaged, fixture("text-a.pdf"), empty, notPdf, locked, missing, badName}, {2});
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{{scanned, QLatin1String(run_texts::kUnreadable)},
                                        {damaged, QLatin1String(run_texts::kDamaged)},
                                        {empty, QLatin1String(run_texts::kDamaged)},
                                        {notPdf, QLatin1String(run_texts::kDamaged)},
                                        {locked, QLatin1String(run_texts::kProtected)},
                                        {missing, QLatin1String(run_texts::kFileMissing)},
                                        {badName, QLatin1String(run_texts::kNameNotUtf8)}}));
    const QStringList lines = m_host.notices.value(0).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("Done."));
    EXPECT_EQ(lines[1], QStringLiteral("The following files could not be read:"));
    EXPECT_EQ(lines[2], scanned + QLatin1String(run_texts::kUnreadable));
    EXPECT_FALSE(m_host.rows.empty()); // the scanned file's few characters still count
}

TEST_F(CountingRunTest, PasswordsAreAskedPerFileAndChooseTheReason)
{
    const QString locked = fixture("user-password.pdf");
    m_host.passwords = {QStringLiteral("open sesame"), QStringLiteral("open sesame"),
                        QStringLiteral("wrong"), QString()};
    CountingRunOptions options;
    options.promptForPassword = true;
    const RunOutcome outcome = run({locked, locked, locked, locked}, {6}, options);

    EXPECT_EQ(m_host.prompts.size(), 4);
    EXPECT_EQ(
        m_host.prompts.value(0),
        QStringLiteral("Enter password for file (") + locked +
            QStringLiteral("): \r\nNote: Leave this box blank if file is not password protected"));
    EXPECT_EQ(m_host.titles.value(0), QStringLiteral("Input Password"));
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{{locked, QLatin1String(run_texts::kWrongPassword)},
                                        {locked, QLatin1String(run_texts::kProtected)}}));
    EXPECT_EQ(m_host.rows, (std::vector<PhraseRow>{row("the secret garden opens at noon.", 6, 2)}));
}

TEST_F(CountingRunTest, OwnerOnlyPasswordsAndOddFileNamesNeedNothingSpecial)
{
    const RunOutcome outcome = run(oddNamedFixtures() << fixture("owner-only.pdf"), {6});
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(m_host.rows, (std::vector<PhraseRow>{row("odd file names must not matter.", 6, 8)}));
}

TEST_F(CountingRunTest, ParallelConversionKeepsListOrder)
{
    QStringList paths;
    for (int i = 0; i < 6; ++i) {
        paths << copyOf("text-a.pdf", QStringLiteral("a%1.pdf").arg(i)) << fixture("damaged.pdf")
              << copyOf("scanned-3.pdf", QStringLiteral("s%1.pdf").arg(i))
              << copyOf("text-b.pdf", QStringLiteral("b%1.pdf").arg(i));
    }
    CountingRunOptions oneByOne;
    oneByOne.parallelConversions = 1;
    const RunOutcome serial = run(paths, {2, 3}, oneByOne);
    const std::vector<PhraseRow> serialRows = m_host.rows;

    TextStore freshStore;
    CountingRun fresh(m_host, freshStore, {});
    CountingRunOptions parallel;
    parallel.parallelConversions = 4;
    const RunOutcome concurrent = fresh.run(paths, {2, 3}, parallel);
    EXPECT_EQ(concurrent.failures, serial.failures);
    EXPECT_EQ(m_host.rows, serialRows);
    EXPECT_EQ(m_host.notices.value(0), m_host.notices.value(1));
    EXPECT_EQ(serial.failures.size(), 12u);
}

// The text store

TEST_F(CountingRunTest, ARecountReadsTheStoreAndGivesWhatAFreshConversionGives)
{
    const QStringList paths{fixture("text-a.pdf"), fixture("text-b.pdf"), fixture("damaged.pdf")};
    const RunOutcome first = run(paths, {3, 4});
    const std::vector<PhraseRow> firstRows = m_host.rows;
    EXPECT_EQ(m_store.conversions(), 3);

    m_host.fromStore.clear();
    const RunOutcome again = run(paths, {3, 4});
    EXPECT_EQ(m_store.conversions(), 3);
    EXPECT_EQ(m_host.fromStore, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(again.failures, first.failures);
    EXPECT_EQ(m_host.rows, firstRows);
    EXPECT_EQ(m_host.notices.value(1), m_host.notices.value(0));
}

TEST_F(CountingRunTest, AFileListedTwiceIsConvertedOnce)
{
    const QString pdf = copyOf("text-a.pdf", QStringLiteral("twice.pdf"));
    CountingRunOptions options;
    options.parallelConversions = 4;
    run({pdf, pdf, pdf}, {4}, options);
    EXPECT_EQ(m_store.conversions(), 1);
    EXPECT_NE(std::find(m_host.rows.begin(), m_host.rows.end(), row("at the end of", 4, 6)),
              m_host.rows.end());
}

// A store too small for even one text drops each one as the next comes; every file is still
// counted whole, from the copy the run holds open.
TEST_F(CountingRunTest, AStoreOverItsLimitStillCountsEverything)
{
    const QStringList paths{fixture("text-a.pdf"), fixture("text-b.pdf"), fixture("text-a.pdf")};
    run(paths, {3, 4});
    const std::vector<PhraseRow> roomy = m_host.rows;

    TextStore tiny(1);
    CountingRun counting(m_host, tiny, {});
    counting.run(paths, {3, 4});
    EXPECT_EQ(m_host.rows, roomy);
}

TEST_F(CountingRunTest, AFileChangedSinceItWasConvertedIsConvertedAgain)
{
    const QString pdf = copyOf("text-a.pdf", QStringLiteral("changing.pdf"));
    run({pdf, fixture("text-b.pdf")}, {4});
    QFile::remove(pdf);
    QFile::copy(fixture("text-b.pdf"), pdf);
    run({pdf, fixture("text-b.pdf")}, {4});
    EXPECT_EQ(m_store.conversions(), 3);
    const std::vector<PhraseRow> fromStore = m_host.rows;

    TextStore freshStore;
    CountingRun fresh(m_host, freshStore, {});
    fresh.run({fixture("text-b.pdf"), fixture("text-b.pdf")}, {4});
    EXPECT_EQ(fromStore, m_host.rows);
}

// Text read as it is (the terminal's text inputs)

TEST_F(CountingRunTest, TextMayComeFromAFifoWithoutHoldingTheRunBeforeItIsWritten)
{
    const QString fifo = m_tmp.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString text = writeFile(m_tmp.filePath(QStringLiteral("a.txt")), "x y\n");
    std::thread writer([&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY); // waits for us
        (void)!::write(fd, "x y\nx y\n", 8);
        ::close(fd);
    });
    CountingRunOptions options;
    options.readsAsText = [](const QString &) { return true; };
    const RunOutcome outcome = run({fifo, text, m_tmp.path()}, {2}, options);
    writer.join();
    EXPECT_EQ(outcome.failures, (std::vector<FileFailure>{
                                    {m_tmp.path(), QLatin1String(run_texts::kNotRegularFile)}}));
    EXPECT_EQ(m_host.rows, (std::vector<PhraseRow>{row("x y", 2, 3)}));
}

// The corpus is what was counted, by the text options: a file that could not be read is no part
// of it, though it keeps its index; the rejoined "exam-" "ple" is one word.
TEST_F(CountingRunTest, TheCorpusSizePerFileCountsAndPositionsFollowTheSources)
{
    const QString a = writeFile(m_tmp.filePath(QStringLiteral("a.txt")), "x y z\nX Y\n");
    const QString missing = m_tmp.filePath(QStringLiteral("gone.txt"));
    const QString b = writeFile(m_tmp.filePath(QStringLiteral("b.txt")), "exam-\nple x y\n");
    CountingRunOptions options;
    options.readsAsText = [](const QString &) { return true; };
    options.text.rejoinHyphenatedWords = true;
    options.countsPerFile = true;
    options.keepCountedWords = true;
    const RunOutcome outcome = run({a, missing, b}, {2}, options);
    EXPECT_EQ(outcome.corpus, (CorpusSize{2, 8, 4, {5, 0, 3}}));
    ASSERT_EQ(m_host.rows, (std::vector<PhraseRow>{row("x y", 2, 3)}));
    const std::span<const FileCount> counts = m_host.shown.fileCounts(0);
    EXPECT_EQ(std::vector(counts.begin(), counts.end()), (std::vector<FileCount>{{0, 2}, {2, 1}}));
    ASSERT_TRUE(outcome.countedWords);
    EXPECT_EQ(outcome.countedWords->positionsOf("x y", counts),
              (std::vector<PhrasePosition>{{0, 0, 0.0}, {0, 3, 0.6}, {2, 1, 1.0 / 3}}));
}

// Passages read as the phrases are: here the paragraph joins its wrapped lines, and the second
// page's line is placed on its page.
TEST_F(CountingRunTest, PassagesNeedNoLengthsAndReadTheTextByItsOptions)
{
    const QString a = writeFile(m_tmp.filePath(QStringLiteral("a.txt")),
                                "Intro.\nthe quick brown\nfox jumps over\n");
    const QString b =
        writeFile(m_tmp.filePath(QStringLiteral("b.txt")), "\fThe quick brown fox jumps over\n");
    CountingRunOptions options;
    options.readsAsText = [](const QString &) { return true; };
    options.text.joinWrappedLines = true;
    options.passageMinimumWords = 3;
    const RunOutcome outcome = run({a, b}, {}, options);
    ASSERT_EQ(outcome.passages.rows.size(), 1);
    EXPECT_EQ(outcome.passages.rows.row(0), row("the quick brown fox jumps over", 6, 2));
    EXPECT_EQ(outcome.passages.rows.files(0), 2);
    const std::span<const PassagePlace> places = outcome.passages.occurrences(0);
    EXPECT_EQ(std::vector(places.begin(), places.end()),
              (std::vector<PassagePlace>{{0, 1, 2}, {1, 2, 1}}));
    EXPECT_EQ(m_host.notices, QStringList{QStringLiteral("Done.")});
}

// Faults of the converter

TEST_F(CountingRunTest, CancelStopsTheConverterAndKeepsTheOldResults)
{
    const QString pidFile = m_tmp.filePath(QStringLiteral("converter.pid"));
    const FakeConverter hanging(FakeConverter::hangingScript(pidFile));
    RunOutcome outcome;
    std::thread worker([&] { outcome = run({fixture("text-a.pdf")}, {2}); });
    const pid_t converter = waitForPidFile(pidFile);
    ASSERT_NE(converter, 0);

    EXPECT_TRUE(m_run.isBusy());
    EXPECT_FALSE(run({fixture("text-a.pdf")}, {2}).ran); // a second start is ignored
    m_run.cancel();
    worker.join();

    EXPECT_TRUE(outcome.cancelled);
    EXPECT_FALSE(m_host.resultsShown);
    EXPECT_TRUE(m_host.notices.isEmpty());
    EXPECT_FALSE(m_run.isBusy());
    EXPECT_EQ(m_host.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(processIsGone(converter));
}

TEST_F(CountingRunTest, AMissingConverterIsSaidOnceNamingThePackage)
{
    const NoConverter none;
    const RunOutcome outcome = run({fixture("text-a.pdf"), fixture("text-b.pdf")}, {4});
    EXPECT_FALSE(outcome.ran);
    EXPECT_EQ(m_host.notices, QStringList{QLatin1String(kConverterMissing)});
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_FALSE(m_host.resultsShown);
}

TEST_F(CountingRunTest, AConverterThatCrashesHalfWayNamesTheFileAndItsTextIsNotCounted)
{
    // Writes part of a text, then crashes for the PDF named "cut"; others convert fully.
    const FakeConverter crashing(QStringLiteral(
        "echo 'cut off text cut off'\ncase \"$*\" in *cut.pdf*) kill -SEGV $$ ;; esac"));
    const QString cut = copyOf("text-a.pdf", QStringLiteral("cut.pdf"));
    const RunOutcome outcome = run({cut, fixture("text-a.pdf")}, {2});
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{{cut, QLatin1String(run_texts::kConverterCrashed)}}));
    EXPECT_EQ(m_host.rows, (std::vector<PhraseRow>{row("cut off", 2, 2)}));
}

TEST_F(CountingRunTest, NoMoreConvertersRunThanChosen)
{
    const QString log = m_tmp.filePath(QStringLiteral("converters.log"));
    const FakeConverter logging(
        QStringLiteral("echo +1 >> '%1'\nsleep 0.2\necho 'some text here'\necho -1 >> '%1'")
            .arg(log));
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths << copyOf("text-a.pdf", QStringLiteral("copy%1.pdf").arg(i));
    const auto mostAtOnce = [&](int parallel) {
        QFile::remove(log);
        TextStore store;
        CountingRun counting(m_host, store, {});
        CountingRunOptions options;
        options.parallelConversions = parallel;
        counting.run(paths, {2}, options);
        int running = 0;
        int most = 0;
        for (const QByteArray &line : readFile(log).split('\n')) {
            running += line.trimmed().toInt();
            most = std::max(most, running);
        }
        return most;
    };
    EXPECT_EQ(mostAtOnce(1), 1);
    EXPECT_EQ(mostAtOnce(2), 2);
    EXPECT_EQ(m_host.rows,
              (std::vector<PhraseRow>{row("some text", 2, 5), row("text here", 2, 5)}));
}
