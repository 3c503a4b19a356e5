#include "QtPrinters.h"
#include "TestSupport.h"
#include "base/PrivateTempFolder.h"
#include "phrases/CountingRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <deque>
#include <thread>

using namespace orvanta;

namespace {

const QString kFixtures = QStringLiteral(ORVANTA_FIXTURE_DIR);

QString fixture(const QString &name)
{
    return kFixtures + QLatin1Char('/') + name;
}

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
    void reportProgress(const RunProgress &) override {}
    void showResults(PhraseResults results) override
    {
        rows.clear();
        for (qsizetype i = 0; i < results.size(); ++i)
            rows.push_back(results.row(i));
        resultsShown = true;
    }
    ErrorSink &errorSink() override { return *this; }
    void report(const ErrorReport &report) override { reports.push_back(report); }

    QStringList notices;
    QStringList prompts;
    QStringList titles;
    std::deque<QString> passwords;
    std::vector<bool> busyChanges;
    std::vector<PhraseRow> rows;
    bool resultsShown = false;
    std::vector<ErrorReport> reports;
};

// Every test gets its own private temporary folder through TMPDIR.
class CountingRunTest : public ::testing::Test {
protected:
    RunOutcome run(const QStringList &paths, const std::vector<int> &lengths,
                   CountingRunOptions options = {})
    {
        return m_run.run(paths, lengths, options);
    }

    QStringList leftoverWorkFolders() const
    {
        return QDir(privateTempFolderPath()).entryList({QStringLiteral("run-*")}, QDir::Dirs);
    }

    // A stand-in converter that records its pid and then hangs.
    QString installHangingConverter()
    {
        const QString pidFile = m_tmp.filePath(QStringLiteral("converter.pid"));
        if (!ensurePrivateTempFolder().ok())
            return {};
        QFile script(converterPath());
        script.open(QIODevice::WriteOnly);
        script.write(
            QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec sleep 30\n").arg(pidFile).toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return pidFile;
    }

    static pid_t waitForPid(const QString &pidFile)
    {
        for (int i = 0; i < 500; ++i) {
            QFile file(pidFile);
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray text = file.readAll().trimmed();
                if (!text.isEmpty())
                    return pid_t(text.toInt());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }

    ScopedTmpdir m_tmp;
    RecordingHost m_host;
    CountingRun m_run{m_host};
};

PhraseRow row(const char *phrase, int words, int frequency)
{
    return {QString::fromUtf8(phrase), words, frequency};
}

} // namespace

// Early stops

TEST_F(CountingRunTest, AnEmptyListIsToldAndTheResultsStay)
{
    const RunOutcome outcome = run({}, {4});
    EXPECT_FALSE(outcome.ran);
    EXPECT_EQ(m_host.notices, QStringList{QStringLiteral("No files added.")});
    EXPECT_FALSE(m_host.resultsShown);
    EXPECT_FALSE(m_run.isBusy());
}

TEST_F(CountingRunTest, NoUsableLengthIsTold)
{
    run({fixture(QStringLiteral("text-a.pdf"))}, {});
    run({fixture(QStringLiteral("text-a.pdf"))}, {0, -3});
    EXPECT_EQ(m_host.notices,
              QStringList(2, QStringLiteral("You forgot to select number of phrases.")));
    EXPECT_FALSE(m_host.resultsShown);
}

// Converting and counting

TEST_F(CountingRunTest, CountsPhrasesAcrossFilesAndSaysDone)
{
    const RunOutcome outcome =
        run({fixture(QStringLiteral("text-a.pdf")), fixture(QStringLiteral("text-b.pdf"))}, {4});
    EXPECT_TRUE(outcome.ran);
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(m_host.notices, QStringList{QStringLiteral("Done.")});
    EXPECT_EQ(m_host.rows, (std::vector<PhraseRow>{
                               row("the fox goes home.", 4, 2), row("the quick brown fox", 4, 3),
                               row("at the end of", 4, 4), row("the end of the", 4, 4)}));
    EXPECT_EQ(m_host.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(leftoverWorkFolders().isEmpty());
    EXPECT_TRUE(m_host.reports.empty());
}

TEST_F(CountingRunTest, AScannedPdfIsNamedButItsTextIsStillCounted)
{
    const QString scanned = fixture(QStringLiteral("scanned-3.pdf"));
    const RunOutcome outcome = run({scanned, fixture(QStringLiteral("text-a.pdf"))}, {2});
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{{scanned, QLatin1String(run_texts::kUnreadable)}}));
    EXPECT_EQ(m_host.notices.value(0),
              QStringLiteral("Done.\r\nThe following files could not be read:\r\n") + scanned +
                  QLatin1String(run_texts::kUnreadable));
    EXPECT_FALSE(m_host.rows.empty());
}

TEST_F(CountingRunTest, TwoFailuresGiveAFourLineNoticeInListOrder)
{
    const QString damaged = fixture(QStringLiteral("damaged.pdf"));
    const QString locked = fixture(QStringLiteral("user-password.pdf"));
    run({damaged, fixture(QStringLiteral("text-a.pdf")), locked}, {4});
    ASSERT_EQ(m_host.notices.size(), 1);
    const QStringList lines = m_host.notices[0].split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("Done."),
                                  QStringLiteral("The following files could not be read:"),
                                  damaged + QLatin1String(run_texts::kProtected),
                                  locked + QLatin1String(run_texts::kProtected)}));
}

TEST_F(CountingRunTest, NotAPdfEmptyAndMissingFilesAreNamed)
{
    const QString empty = fixture(QStringLiteral("empty.pdf"));
    const QString text = fixture(QStringLiteral("not-a-pdf.pdf"));
    const QString missing = m_tmp.filePath(QStringLiteral("gone.pdf"));
    const RunOutcome outcome = run({empty, text, missing}, {2});
    EXPECT_EQ(outcome.failures,
              (std::vector<FileFailure>{{empty, QLatin1String(run_texts::kProtected)},
                                        {text, QLatin1String(run_texts::kProtected)},
                                        {missing, QLatin1String(run_texts::kFileMissing)}}));
}

TEST_F(CountingRunTest, PasswordsAreAskedPerFileAndChooseTheReason)
{
    const QString locked = fixture(QStringLiteral("user-password.pdf"));
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

TEST_F(CountingRunTest, AnOwnerPasswordAloneNeedsNoPrompt)
{
    const QString ownerOnly = fixture(QStringLiteral("owner-only.pdf"));
    const RunOutcome outcome = run({ownerOnly, ownerOnly}, {3});
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_FALSE(m_host.rows.empty());
}

TEST_F(CountingRunTest, OddFileNamesArriveIntact)
{
    QStringList paths;
    for (const char *name :
         {"with space.pdf", "quote\"double.pdf", "quote'single.pdf", "-leading-dash.pdf",
          "Ünïcödé façade.pdf", "en–dash.pdf", "dollar$HOME.pdf", "new\nline.pdf"})
        paths << fixture(QString::fromUtf8(name));
    const RunOutcome outcome = run(paths, {6});
    EXPECT_TRUE(outcome.failures.empty());
    ASSERT_EQ(m_host.rows.size(), 1u);
    EXPECT_EQ(m_host.rows[0], row("odd file names must not matter.", 6, 8));
}

TEST_F(CountingRunTest, ParallelConversionKeepsListOrder)
{
    QStringList paths;
    for (int i = 0; i < 6; ++i) {
        paths << fixture(QStringLiteral("text-a.pdf")) << fixture(QStringLiteral("damaged.pdf"))
              << fixture(QStringLiteral("scanned-3.pdf")) << fixture(QStringLiteral("text-b.pdf"));
    }
    CountingRunOptions oneByOne;
    oneByOne.parallelConversions = 1;
    const RunOutcome serial = run(paths, {2, 3}, oneByOne);
    const std::vector<PhraseRow> serialRows = m_host.rows;

    CountingRunOptions parallel;
    parallel.parallelConversions = 4;
    const RunOutcome concurrent = run(paths, {2, 3}, parallel);
    EXPECT_EQ(concurrent.failures, serial.failures);
    EXPECT_EQ(m_host.rows, serialRows);
    EXPECT_EQ(m_host.notices.value(0), m_host.notices.value(1));
    EXPECT_EQ(serial.failures.size(), 12u);
}

// Cancelling and busy

TEST_F(CountingRunTest, CancelStopsTheConverterAndKeepsTheOldResults)
{
    const QString pidFile = installHangingConverter();
    RunOutcome outcome;
    std::thread worker([&] { outcome = run({fixture(QStringLiteral("text-a.pdf"))}, {2}); });
    const pid_t converter = waitForPid(pidFile);
    ASSERT_NE(converter, 0);

    EXPECT_TRUE(m_run.isBusy());
    EXPECT_FALSE(run({fixture(QStringLiteral("text-a.pdf"))}, {2}).ran); // second start ignored
    m_run.cancel();
    worker.join();

    EXPECT_TRUE(outcome.cancelled);
    EXPECT_FALSE(m_host.resultsShown);
    EXPECT_TRUE(m_host.notices.isEmpty());
    EXPECT_FALSE(m_run.isBusy());
    EXPECT_EQ(m_host.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(leftoverWorkFolders().isEmpty());
    EXPECT_NE(::kill(converter, 0), 0);
}

TEST_F(CountingRunTest, AMissingConverterIsSaidOnceNamingThePackage)
{
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", m_tmp.path().toUtf8());
    const RunOutcome outcome =
        run({fixture(QStringLiteral("text-a.pdf")), fixture(QStringLiteral("text-b.pdf"))}, {4});
    qputenv("PATH", savedPath);

    EXPECT_FALSE(outcome.ran);
    ASSERT_EQ(m_host.notices.size(), 1);
    EXPECT_TRUE(m_host.notices[0].contains(QStringLiteral("poppler-utils")));
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_FALSE(m_host.resultsShown);
}

TEST_F(CountingRunTest, AConverterThatCrashesHalfWayNamesTheFileAndItsTextIsNotCounted)
{
    ASSERT_TRUE(ensurePrivateTempFolder().ok());
    QFile script(converterPath());
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    // Writes part of a text for the PDF named "cut", then crashes; other PDFs convert fully.
    script.write("#!/bin/sh\nfor out; do :; done\necho 'cut off text cut off' > \"$out\"\n"
                 "case \"$*\" in *cut.pdf*) kill -SEGV $$ ;; esac\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString cut = m_tmp.filePath(QStringLiteral("cut.pdf"));
    ASSERT_TRUE(QFile::copy(fixture(QStringLiteral("text-a.pdf")), cut));

    const RunOutcome outcome = run({cut, fixture(QStringLiteral("text-a.pdf"))}, {2});

    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(outcome.failures[0].path, cut);
    EXPECT_EQ(outcome.failures[0].reason, QLatin1String(run_texts::kConverterCrashed));
    // Only the complete copy is counted: its one repeated pair.
    EXPECT_EQ(m_host.rows, (std::vector<PhraseRow>{row("cut off", 2, 2)}));
    EXPECT_TRUE(leftoverWorkFolders().isEmpty());
}

TEST_F(CountingRunTest, NoMoreConvertersRunThanChosen)
{
    ASSERT_TRUE(ensurePrivateTempFolder().ok());
    const QString log = m_tmp.filePath(QStringLiteral("converters.log"));
    QFile script(converterPath());
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    // Logs +1 on start and -1 on end, and writes a line of text as its output (the last argument).
    script.write(QStringLiteral("#!/bin/sh\necho +1 >> '%1'\nsleep 0.2\nfor out; do :; done\n"
                                "echo 'some text here' > \"$out\"\necho -1 >> '%1'\n")
                     .arg(log)
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const auto mostAtOnce = [&](int parallel) {
        QFile::remove(log);
        CountingRunOptions options;
        options.parallelConversions = parallel;
        run(QStringList(5, fixture(QStringLiteral("text-a.pdf"))), {2}, options);
        QFile file(log);
        file.open(QIODevice::ReadOnly);
        int running = 0;
        int most = 0;
        for (const QByteArray &line : file.readAll().split('\n')) {
            running += line.trimmed().toInt();
            most = std::max(most, running);
        }
        return most;
    };
    EXPECT_EQ(mostAtOnce(1), 1);
    EXPECT_LE(mostAtOnce(2), 2);
    EXPECT_EQ(m_host.rows,
              (std::vector<PhraseRow>{row("some text", 2, 5), row("text here", 2, 5)}));
}
