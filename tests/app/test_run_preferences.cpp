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

    chosen.readScannedPages = true;
    chosen.applyTo(options);
    EXPECT_EQ(options.recognitionLanguages, QStringList{QStringLiteral("fra")});
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
