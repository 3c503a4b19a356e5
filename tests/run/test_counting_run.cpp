#include "FakeConverter.h"
#include "Fixtures.h"
#include "QtPrinters.h"
#include "RecordingRunHost.h"
#include "TestSupport.h"
#include "documents/TextStore.h"
#include "extract/TextReader.h"
#include "phrases/PhraseTable.h"
#include "run/CountingRun.h"

#include <gtest/gtest.h>

#include <deque>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace orvanta;

namespace {

class CountingRunTest : public ::testing::Test {
protected:
    RunOutcome run(const QStringList &paths, const std::vector<int> &lengths,
                   CountingRunOptions options = {})
    {
        return m_run.run(paths, lengths, options);
    }

    QString copyAs(const char *name, const QString &as) { return copyOf(name, m_tmp.filePath(as)); }

    ScopedTmpdir m_tmp;
    RecordingRunHost m_host;
    TextStore m_store;
    CountingRun m_run{m_host, m_host, m_store,
                      locationTag(QStringLiteral("Test"), QStringLiteral("Run"))};
};

PhraseRow row(const char *phrase, int words, int frequency)
{
    return {QString::fromUtf8(phrase), words, frequency};
}

std::vector<PhraseRow> rowsOf(const RunOutcome &outcome)
{
    std::vector<PhraseRow> rows;
    for (qsizetype i = 0; i < outcome.phrases.size(); ++i)
        rows.push_back(outcome.phrases.row(i));
    return rows;
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
    EXPECT_FALSE(m_run.isBusy());
}

// Converting and counting

TEST_F(CountingRunTest, CountsPhrasesAcrossFilesInTheListsOrder)
{
    const RunOutcome outcome = run({fixture("text-a.pdf"), fixture("text-b.pdf")}, {4});
    EXPECT_TRUE(outcome.finished());
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_TRUE(m_host.notices.isEmpty());
    EXPECT_EQ(
        rowsOf(outcome),
        (std::vector<PhraseRow>{row("the fox goes home.", 4, 2), row("the quick brown fox", 4, 3),
                                row("at the end of", 4, 4), row("the end of the", 4, 4)}));
    EXPECT_EQ(closingNotice(outcome.failures), QStringLiteral("Done."));
    EXPECT_TRUE(m_host.reports.empty());
}

// The converter puts a form feed before the first word of every page; it belongs to no word,
// so "on page" opening page two is the same phrase as anywhere else.
TEST_F(CountingRunTest, NoPhraseCarriesAPageBreak)
{
    const std::vector<PhraseRow> rows =
        rowsOf(run({fixture("text-b.pdf"), fixture("text-b.pdf")}, {2}));
    for (const PhraseRow &found : rows)
        EXPECT_FALSE(found.phrase.contains(QLatin1Char('\f'))) << found.phrase.toStdString();
    EXPECT_NE(std::find(rows.begin(), rows.end(), row("on page", 2, 2)), rows.end());
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
    // A listed file replaced by a folder before counting is not found as a file.
    const QString folder = m_tmp.filePath(QStringLiteral("now a folder.pdf"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const RunOutcome outcome = run(
        {scanned, damaged, fixture("text-a.pdf"), empty, notPdf, locked, missing, badName, folder},
        {2});
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{{scanned, QLatin1String(run_texts::kUnreadable)},
                                        {damaged, QLatin1String(run_texts::kDamaged)},
                                        {empty, QLatin1String(run_texts::kDamaged)},
                                        {notPdf, QLatin1String(run_texts::kDamaged)},
                                        {locked, QLatin1String(run_texts::kProtected)},
                                        {missing, QLatin1String(run_texts::kFileMissing)},
                                        {badName, QLatin1String(run_texts::kNameNotUtf8)},
                                        {folder, QLatin1String(run_texts::kFileMissing)}}));
    const QStringList lines = closingNotice(outcome.failures).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], QLatin1String(run_texts::kDone));
    EXPECT_EQ(lines[1], QLatin1String(run_texts::kFailureHeading));
    EXPECT_EQ(lines[2], scanned + QLatin1String(run_texts::kUnreadable));
    EXPECT_FALSE(rowsOf(outcome).empty()); // the scanned file's few characters still count
}

TEST_F(CountingRunTest, PasswordsAreAskedPerFileAndChooseTheReason)
{
    const QString locked = fixture("user-password.pdf");
    m_host.passwords = {QStringLiteral("open sesame"), QStringLiteral("open sesame"),
                        QStringLiteral("wrong"), QString()};
    CountingRunOptions options;
    options.promptForPassword = true;
    const RunOutcome outcome = run({locked, locked, locked, locked}, {6}, options);

    EXPECT_EQ(m_host.asked, QStringList(4, locked));
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{{locked, QLatin1String(run_texts::kWrongPassword)},
                                        {locked, QLatin1String(run_texts::kProtected)}}));
    EXPECT_EQ(rowsOf(outcome),
              (std::vector<PhraseRow>{row("the secret garden opens at noon.", 6, 2)}));
}

TEST_F(CountingRunTest, OwnerOnlyPasswordsAndOddFileNamesNeedNothingSpecial)
{
    const RunOutcome outcome = run(oddNamedFixtures() << fixture("owner-only.pdf"), {6});
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(rowsOf(outcome),
              (std::vector<PhraseRow>{row("odd file names must not matter.", 6, 8)}));
}

TEST_F(CountingRunTest, ParallelConversionKeepsListOrder)
{
    QStringList paths;
    for (int i = 0; i < 6; ++i) {
        paths << copyAs("text-a.pdf", QStringLiteral("a%1.pdf").arg(i)) << fixture("damaged.pdf")
              << copyAs("scanned-3.pdf", QStringLiteral("s%1.pdf").arg(i))
              << copyAs("text-b.pdf", QStringLiteral("b%1.pdf").arg(i));
    }
    CountingRunOptions oneByOne;
    oneByOne.parallelConversions = 1;
    const RunOutcome serial = run(paths, {2, 3}, oneByOne);

    TextStore freshStore;
    CountingRun fresh(m_host, m_host, freshStore, {});
    CountingRunOptions parallel;
    parallel.parallelConversions = 4;
    const RunOutcome concurrent = fresh.run(paths, {2, 3}, parallel);
    EXPECT_EQ(concurrent.failures, serial.failures);
    EXPECT_EQ(rowsOf(concurrent), rowsOf(serial));
    EXPECT_EQ(serial.failures.size(), 12u);
}

// The text store

TEST_F(CountingRunTest, ARecountReadsTheStoreAndGivesWhatAFreshConversionGives)
{
    const QStringList paths{fixture("text-a.pdf"), fixture("text-b.pdf"), fixture("damaged.pdf")};
    const RunOutcome first = run(paths, {3, 4});
    EXPECT_EQ(m_store.conversions(), 3);

    m_host.progress.clear();
    const RunOutcome again = run(paths, {3, 4});
    EXPECT_EQ(m_store.conversions(), 3);
    EXPECT_EQ(m_host.fromStore(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(again.failures, first.failures);
    EXPECT_EQ(rowsOf(again), rowsOf(first));
}

TEST_F(CountingRunTest, AFileListedTwiceIsConvertedOnce)
{
    const QString pdf = copyAs("text-a.pdf", QStringLiteral("twice.pdf"));
    CountingRunOptions options;
    options.parallelConversions = 4;
    const std::vector<PhraseRow> rows = rowsOf(run({pdf, pdf, pdf}, {4}, options));
    EXPECT_EQ(m_store.conversions(), 1);
    EXPECT_NE(std::find(rows.begin(), rows.end(), row("at the end of", 4, 6)), rows.end());
}

// A store too small for even one text drops each one as the next comes; every file is still
// counted whole, from the copy the run holds open.
TEST_F(CountingRunTest, AStoreOverItsLimitStillCountsEverything)
{
    const QStringList paths{fixture("text-a.pdf"), fixture("text-b.pdf"), fixture("text-a.pdf")};
    const RunOutcome roomy = run(paths, {3, 4});

    TextStore tiny(1);
    CountingRun counting(m_host, m_host, tiny, {});
    EXPECT_EQ(rowsOf(counting.run(paths, {3, 4})), rowsOf(roomy));
}

TEST_F(CountingRunTest, AFileChangedSinceItWasConvertedIsConvertedAgain)
{
    const QString pdf = copyAs("text-a.pdf", QStringLiteral("changing.pdf"));
    run({pdf, fixture("text-b.pdf")}, {4});
    QFile::remove(pdf);
    QFile::copy(fixture("text-b.pdf"), pdf);
    const RunOutcome changed = run({pdf, fixture("text-b.pdf")}, {4});
    EXPECT_EQ(m_store.conversions(), 3);

    TextStore freshStore;
    CountingRun fresh(m_host, m_host, freshStore, {});
    EXPECT_EQ(rowsOf(changed),
              rowsOf(fresh.run({fixture("text-b.pdf"), fixture("text-b.pdf")}, {4})));
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
    EXPECT_EQ(rowsOf(outcome), (std::vector<PhraseRow>{row("x y", 2, 3)}));
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
    ASSERT_EQ(rowsOf(outcome), (std::vector<PhraseRow>{row("x y", 2, 3)}));
    const std::span<const FileCount> counts = outcome.phrases.fileCounts(0);
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
    EXPECT_TRUE(outcome.finished());
}

// A run that only reads gives the sources and corpus size for what reads the texts again.
TEST_F(CountingRunTest, AReadingRunNeedsNoLengthsAndListsNoPhrases)
{
    const QString a = writeFile(m_tmp.filePath(QStringLiteral("a.txt")), "x y z\nx y\n");
    const QString b = writeFile(m_tmp.filePath(QStringLiteral("b.txt")), "x y\n");
    CountingRunOptions options;
    options.readsAsText = [](const QString &) { return true; };
    options.readsOnly = true;
    const RunOutcome outcome = run({a, b}, {}, options);
    EXPECT_TRUE(outcome.finished());
    ASSERT_EQ(outcome.sources.size(), 2u);
    EXPECT_EQ(outcome.sources[1].path, b);
    EXPECT_EQ(outcome.corpus.words, 7u);
    EXPECT_EQ(outcome.phrases.size(), 0);
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
    EXPECT_FALSE(outcome.finished());
    EXPECT_TRUE(outcome.phrases.isEmpty());
    EXPECT_TRUE(m_host.notices.isEmpty());
    EXPECT_FALSE(m_run.isBusy());
    EXPECT_TRUE(processIsGone(converter));
}

TEST_F(CountingRunTest, AMissingConverterIsSaidOnceNamingThePackage)
{
    const NoConverter none;
    const RunOutcome outcome = run({fixture("text-a.pdf"), fixture("text-b.pdf")}, {4});
    EXPECT_FALSE(outcome.ran);
    EXPECT_EQ(m_host.notices, QStringList{QLatin1String(kConverterMissing)});
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_FALSE(outcome.finished());
}

TEST_F(CountingRunTest, AConverterThatCrashesHalfWayNamesTheFileAndItsTextIsNotCounted)
{
    // Writes part of a text, then crashes for the PDF named "cut"; others convert fully.
    const FakeConverter crashing(QStringLiteral(
        "echo 'cut off text cut off'\ncase \"$*\" in *cut.pdf*) kill -SEGV $$ ;; esac"));
    const QString cut = copyAs("text-a.pdf", QStringLiteral("cut.pdf"));
    const RunOutcome outcome = run({cut, fixture("text-a.pdf")}, {2});
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{{cut, QLatin1String(run_texts::kConverterCrashed)}}));
    EXPECT_EQ(rowsOf(outcome), (std::vector<PhraseRow>{row("cut off", 2, 2)}));
}

TEST_F(CountingRunTest, NoMoreConvertersRunThanChosen)
{
    const QString log = m_tmp.filePath(QStringLiteral("converters.log"));
    const FakeConverter logging(
        QStringLiteral("echo +1 >> '%1'\nsleep 0.2\necho 'some text here'\necho -1 >> '%1'")
            .arg(log));
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths << copyAs("text-a.pdf", QStringLiteral("copy%1.pdf").arg(i));
    RunOutcome outcome;
    const auto mostAtOnce = [&](int parallel) {
        QFile::remove(log);
        TextStore store;
        CountingRun counting(m_host, m_host, store, {});
        CountingRunOptions options;
        options.parallelConversions = parallel;
        outcome = counting.run(paths, {2}, options);
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
    EXPECT_EQ(rowsOf(outcome),
              (std::vector<PhraseRow>{row("some text", 2, 5), row("text here", 2, 5)}));
}

// Hostile and broken inputs

// Forms drawing forms 50^7 times: the conversion stops at its limit, the file is named with
// the reason, and the run goes on.
TEST_F(CountingRunTest, APdfPastItsTimeLimitIsNamedAndTheRunGoesOn)
{
    m_store.setConversionLimits({std::chrono::seconds(1), ConversionLimits::kDefaultMemory});
    const QString hostile = fixture("nested-forms.pdf");
    const RunOutcome outcome = run({hostile, fixture("text-a.pdf")}, {4});
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{
                  {hostile, QLatin1String(run_texts::kTimedOut).arg(QStringLiteral("1 second"))}}));
    EXPECT_EQ(rowsOf(outcome),
              (std::vector<PhraseRow>{row("at the end of", 4, 2), row("the end of the", 4, 2),
                                      row("the quick brown fox", 4, 2)}));
}

// A text refused for a line too long is refused whole, from a file or a stream alike.
TEST_F(CountingRunTest, ATextWithALineTooLongToReadCountsForNothing)
{
    QByteArray text = "the same four words\nthe same four words\n";
    text += QByteArray(LineSplitter::kLongestLine + 1, 'x') + '\n';
    const QString file = writeFile(m_tmp.filePath(QStringLiteral("long.txt")), text);
    const QString fifo = m_tmp.filePath(QStringLiteral("long-fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::thread writer([&] {
        QFile out(fifo);
        if (out.open(QIODevice::WriteOnly))
            out.write(text);
    });
    CountingRunOptions options;
    options.readsAsText = [](const QString &) { return true; };
    const RunOutcome outcome = run({file, fifo}, {4}, options);
    writer.join();
    EXPECT_TRUE(outcome.phrases.isEmpty());
    ASSERT_EQ(m_host.reports.size(), 2u);
    EXPECT_EQ(m_host.reports[0].description, tooLongLineMessage(file));
    EXPECT_EQ(m_host.reports[1].description, tooLongLineMessage(fifo));
}

TEST_F(CountingRunTest, PagesOcrCouldNotReadAreNamedWithTheReason)
{
    const ScopedEnv noDrawer("ORVANTA_CONVERT_WORKER", "/nonexistent/orvanta-convert");
    const QString pdf = QStringLiteral(ORVANTA_SCAN_DIR "/typed-then-scanned.pdf");
    CountingRunOptions options;
    options.recognitionLanguages = QStringList{QStringLiteral("eng")};
    const RunOutcome outcome = run({pdf}, {2}, options);
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{
                  {pdf, QStringLiteral("  - OCR could not read page 2: orvanta-convert, which "
                                       "draws pages for OCR, is not installed; reinstall "
                                       "Orvanta.")}}));
}

// Each conversion holds a few descriptors: more at once than the open-file limit allows would
// drop files.
TEST_F(CountingRunTest, NoMoreConversionsRunThanTheOpenFileLimitAllows)
{
    QStringList paths;
    for (int i = 0; i < 150; ++i)
        paths << copyOf("text-a.pdf", QStringLiteral("copy%1.pdf").arg(i));
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit few = saved;
    few.rlim_cur = 128;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
    CountingRunOptions options;
    options.parallelConversions = 1000;
    const RunOutcome outcome = run(paths, {4}, options);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_TRUE(m_host.reports.empty());
    EXPECT_EQ(rowsOf(outcome).back(), row("the quick brown fox", 4, 300));
}
