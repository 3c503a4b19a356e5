#include "QtPrinters.h"
#include "TempTree.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "results/StopWords.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

const QString kDataFolder = dataFolder(QStringLiteral(ORVANTA_BIN_DIR));

} // namespace

// Which phrases each mode hides

TEST(StopWords, EachModeHidesItsPhrases)
{
    const StopWords words = StopWords::fromText("the of it is a in");
    struct Case {
        const char *phrase;
        bool onlyStopWords;
        bool stopWordAtEdge;
    };
    const Case cases[] = {
        {"of the", true, true},
        {"it is", true, true},
        {"the", true, true},
        {"the number", false, true},
        {"number of", false, true},
        {"of the number of", false, true},
        {"the number of the", false, true},
        {"number of people", false, false},
        {"big number two", false, false},
        {"in the, of", true, true}, // outer punctuation is not part of the word
        {"(of the)", true, true},
        {"theory of", false, true}, // whole words only
        {"thereof", false, false},
        {"-- of", false, true}, // punctuation alone is no stop word
        {"", false, false},
    };
    for (const Case &c : cases) {
        EXPECT_FALSE(hidesPhrase(c.phrase, words, StopWordMode::Off)) << c.phrase;
        EXPECT_EQ(hidesPhrase(c.phrase, words, StopWordMode::OnlyStopWords), c.onlyStopWords)
            << c.phrase;
        EXPECT_EQ(hidesPhrase(c.phrase, words, StopWordMode::StopWordAtEdge), c.stopWordAtEdge)
            << c.phrase;
    }
}

TEST(StopWords, FilteringKeepsTheOrderAndChangesNoCount)
{
    PhraseResults results;
    results.append("of the", 2, 9);
    results.append("the number of", 3, 4);
    results.append("number of people", 3, 2);
    const StopWords words = StopWords::fromText("of the");
    const std::vector<std::uint32_t> ids{2, 1, 0};
    EXPECT_EQ(withoutStopPhrases(ids, results, words, StopWordMode::Off), ids);
    EXPECT_EQ(withoutStopPhrases(ids, results, words, StopWordMode::OnlyStopWords),
              (std::vector<std::uint32_t>{2, 1}));
    EXPECT_EQ(withoutStopPhrases(ids, results, words, StopWordMode::StopWordAtEdge),
              (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(results.frequency(0), 9);
}

// Lists of words

TEST(StopWords, WordsAreLowerCasedByTheEngineRuleAndKeptOnce)
{
    const StopWords words =
        StopWords::fromText("\xEF\xBB\xBFThe\tÉTÉ\r\nthe  ΣΟΦΙΑ\fDon't\vwon’t \xFF");
    EXPECT_EQ(words.words(),
              (QStringList{"don't", "don’t", "the", "won't", "won’t", "été", "σοφια", "\uFFFD"}));
    EXPECT_TRUE(words.isStopWord("été"));
    EXPECT_FALSE(words.isStopWord("ÉTÉ")); // phrases come lower-cased
    EXPECT_TRUE(StopWords::fromText(" \n").isEmpty());
}

TEST(StopWords, AUsersFileGivesItsWords)
{
    const TempTree tree;
    const QString path = writeFile(tree.at("mine.txt"), "Acme\nwidget gadget\n\n  Thing  \n");
    const Result<StopWords> words = StopWords::fromFile(path);
    ASSERT_TRUE(words.ok()) << words.error().toStdString();
    EXPECT_EQ(words->words(), (QStringList{"acme", "gadget", "thing", "widget"}));
    EXPECT_EQ(StopWords::fromLanguageOrFile(path, kDataFolder)->size(), 4);
}

TEST(StopWords, AFileThatCannotBeReadSaysWhy)
{
    const TempTree tree;
    const QString missing = tree.at("missing.txt");
    EXPECT_EQ(StopWords::fromFile(missing).error(),
              QStringLiteral("Cannot open %1: No such file or directory").arg(missing));
    EXPECT_EQ(StopWords::fromFile(tree.path()).error(),
              QStringLiteral("%1 is a folder, not a list of words").arg(tree.path()));
    EXPECT_EQ(StopWords::fromLanguageOrFile(QStringLiteral("klingon"), kDataFolder).error(),
              QStringLiteral("\"klingon\" is neither a stop-word language (da, nl, en, fi, fr, "
                             "de, hu, id, it, no, pl, pt, ro, ru, es, sv) nor a file"));
    EXPECT_EQ(StopWords::forLanguage(QStringLiteral("xx"), kDataFolder).error(),
              QStringLiteral("No stop words for \"xx\"; there are lists for da, nl, en, fi, fr, "
                             "de, hu, id, it, no, pl, pt, ro, ru, es, sv"));
    // A bundled list that is missing is named.
    EXPECT_EQ(StopWords::forLanguage(QStringLiteral("en"), tree.path()).error(),
              QStringLiteral("Cannot open %1/stopwords/en.txt: No such file or directory")
                  .arg(tree.path()));
}

// The lists that come with the program

TEST(StopWords, EveryBundledListLoadsByCodeAndName)
{
    struct Case {
        const char *language;
        const char *word;
    };
    const Case cases[] = {
        {"en", "the"},   {"de", "und"},      {"fr", "dans"},     {"es", "que"},
        {"it", "della"}, {"nl", "het"},      {"pt", "não"},      {"ru", "и"},
        {"pl", "się"},   {"German", "über"}, {"RUSSIAN", "что"}, {"polish", "jest"},
    };
    for (const Case &c : cases) {
        const Result<StopWords> words =
            StopWords::fromLanguageOrFile(QString::fromUtf8(c.language), kDataFolder);
        ASSERT_TRUE(words.ok()) << c.language << ": " << words.error().toStdString();
        EXPECT_TRUE(words->isStopWord(c.word)) << c.language << ": " << c.word;
        EXPECT_FALSE(words->isStopWord("orvanta")) << c.language;
    }
    for (const StopLanguage &language : stopLanguages()) {
        const Result<StopWords> words =
            StopWords::forLanguage(QLatin1String(language.code), kDataFolder);
        ASSERT_TRUE(words.ok()) << language.code;
        EXPECT_GT(words->size(), 80) << language.code;
    }
}
