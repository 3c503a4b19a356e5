#include "QtPrinters.h"
#include "app/RunPreferences.h"
#include "base/SettingsStore.h"
#include "run/CountingRun.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

class RunPreferencesTest : public ::testing::Test {
protected:
    QString iniFile() const { return m_dir.filePath(QStringLiteral("settings.ini")); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(RunPreferencesTest, NothingStoredReadsAsEverythingOffAndEnglish)
{
    const SettingsStore store(iniFile());
    const RunPreferences preferences = RunPreferences::read(store);
    EXPECT_FALSE(preferences.text.any());
    EXPECT_FALSE(preferences.readScannedPages);
    EXPECT_EQ(preferences.languages, QStringList{QStringLiteral("eng")});
    EXPECT_TRUE(preferences.recognitionLanguages().isEmpty());
    EXPECT_EQ(preferences.memoryLimitMiB, 0);
}

TEST_F(RunPreferencesTest, StoredChoicesReadBackFromANewStore)
{
    RunPreferences chosen;
    chosen.text.rejoinHyphenatedWords = true;
    chosen.text.ignorePunctuation = true;
    chosen.text.normaliseCompatibility = true;
    chosen.text.wordsNeedLetters = true;
    chosen.readScannedPages = true;
    chosen.languages = {QStringLiteral("eng"), QStringLiteral("deu")};
    chosen.memoryLimitMiB = 2048;
    {
        SettingsStore store(iniFile());
        for (const auto &[key, text] : chosen.entries())
            ASSERT_TRUE(store.writeText(key, text));
    }
    const SettingsStore reopened(iniFile());
    EXPECT_EQ(RunPreferences::read(reopened), chosen);
    EXPECT_EQ(reopened.readText(QStringLiteral("RecognitionLanguages")), QStringLiteral("eng+deu"));
    EXPECT_EQ(reopened.readText(QStringLiteral("WordsNeedLetters")), QStringLiteral("1"));
}

TEST_F(RunPreferencesTest, TheRunGetsTheTextOptionsAndLanguagesOnlyWhenReadingScans)
{
    RunPreferences chosen;
    chosen.text.dropRunningHeads = true;
    chosen.languages = {QStringLiteral("fra")};
    CountingRunOptions options;
    chosen.applyTo(options);
    EXPECT_EQ(options.text, chosen.text);
    EXPECT_TRUE(options.recognitionLanguages.isEmpty());

    EXPECT_EQ(options.memoryLimit, 0U);

    chosen.readScannedPages = true;
    chosen.memoryLimitMiB = 300;
    chosen.applyTo(options);
    EXPECT_EQ(options.recognitionLanguages, QStringList{QStringLiteral("fra")});
    EXPECT_EQ(options.memoryLimit, std::uint64_t(300) << 20);
    EXPECT_EQ(runOptionsSummary(options),
              QStringLiteral("Text options: running heads and feet left out. Scanned pages read "
                             "with OCR (fra). Counted within 300 MiB of memory."));
}

TEST_F(RunPreferencesTest, AStoredMemoryLimitBelowTheLeastIsRaisedToIt)
{
    const struct {
        const char *stored;
        int read;
    } cases[] = {{"0", 0}, {"-5", 0}, {"junk", 0}, {"10", kLeastMemoryLimitMiB}, {"4096", 4096}};
    for (const auto &[stored, read] : cases) {
        SettingsStore store(iniFile());
        ASSERT_TRUE(store.writeText(QStringLiteral("MemoryLimitMiB"), QLatin1String(stored)));
        EXPECT_EQ(RunPreferences::read(store).memoryLimitMiB, read) << stored;
    }
}

TEST_F(RunPreferencesTest, LanguagesAreSplitAtPlusCommaOrSpaceWithoutRepeats)
{
    EXPECT_EQ(
        parseLanguages(QStringLiteral(" eng+deu, chi_sim eng ")),
        (QStringList{QStringLiteral("eng"), QStringLiteral("deu"), QStringLiteral("chi_sim")}));
    EXPECT_TRUE(parseLanguages(QStringLiteral(" + ")).isEmpty());
}

TEST_F(RunPreferencesTest, TheSummaryNamesTheOptionsThatWereOn)
{
    CountingRunOptions options;
    EXPECT_EQ(runOptionsSummary(options), QString());
    options.text.joinWrappedLines = true;
    options.text.ignorePunctuation = true;
    EXPECT_EQ(runOptionsSummary(options),
              QStringLiteral("Text options: wrapped lines joined, punctuation ignored."));
    options.recognitionLanguages = {QStringLiteral("eng"), QStringLiteral("deu")};
    EXPECT_EQ(runOptionsSummary(options),
              QStringLiteral("Text options: wrapped lines joined, punctuation ignored. Scanned "
                             "pages read with OCR (eng+deu)."));
}

TEST_F(RunPreferencesTest, TheScanHintCountsTheFilesAndNamesTheTickBox)
{
    EXPECT_EQ(scannedFilesHint(0), QString());
    EXPECT_EQ(
        scannedFilesHint(1),
        QStringLiteral("1 file looks scanned; tick \"Read scanned pages with OCR\" to read it."));
    EXPECT_EQ(scannedFilesHint(2), QStringLiteral("2 files look scanned; tick \"Read scanned pages "
                                                  "with OCR\" to read them."));
}

TEST_F(RunPreferencesTest, NoticesOfTextNotReadEndWithTheHintToTickOcrWhileItIsOff)
{
    const QString hint = QStringLiteral(
        "\r\n\r\nTick \"Read scanned pages with OCR\" to read the text of scanned pages and of "
        "images too.");
    const FileFailure unread{QStringLiteral("scan.pdf"), QLatin1String(run_texts::kUnreadable)};
    const FileFailure damaged{QStringLiteral("bad.pdf"), QLatin1String(run_texts::kDamaged)};
    const struct {
        std::vector<FileFailure> failures;
        bool ocr;
        bool hinted;
    } cases[] = {
        {{}, false, false},               // "Done." alone stays as it is
        {{damaged}, false, false},        // nothing OCR would read
        {{damaged, unread}, false, true}, // a scan among them
        {{unread}, true, false},          // OCR was on
    };
    for (const auto &c : cases) {
        const QString notice = closingNoticeWithHint(c.failures, c.ocr);
        EXPECT_EQ(notice, closingNotice(c.failures) + (c.hinted ? hint : QString()));
    }
    EXPECT_EQ(withRecognitionHint(QStringLiteral("These files could not be read"), false),
              QStringLiteral("These files could not be read") + hint);
    EXPECT_EQ(withRecognitionHint(QString(), false), QString());
}
