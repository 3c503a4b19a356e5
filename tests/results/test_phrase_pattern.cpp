#include "QtPrinters.h"
#include "results/PhrasePattern.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

PhrasePattern patternOf(const char *text, PhrasePattern::Kind kind)
{
    Result<PhrasePattern> made = PhrasePattern::make(QString::fromUtf8(text), kind);
    EXPECT_TRUE(made.ok()) << text << ": " << made.error().toStdString();
    return made.ok() ? std::move(made).value() : PhrasePattern();
}

struct Case {
    const char *pattern;
    const char *phrase;
    bool matches;
};

} // namespace

TEST(PhrasePattern, WildcardsMatchTheWholePhrase)
{
    const Case cases[] = {
        {"the number of", "the number of", true},
        {"number", "the number of", false}, // the whole phrase, not a part
        {"the *", "the number of", true},
        {"the *", "then it", false},
        {"*number*", "the number of", true},
        {"*of", "the number of", true},
        {"*of", "of the", false},
        {"the * of", "the number of", true},
        {"the * of", "the great number of", true}, // "*" takes spaces too
        {"the * of", "the of", false},
        {"th? end", "the end", true},
        {"th? end", "thé end", true}, // "?" is one character, however many bytes
        {"th? end", "th end", false},
        {"th? end", "thee end", false},
        {"???", "été", true},
        {"a*b*c", "a x b y b c", true},
        {"a*b*c", "a x b y b", false},
        {"*", "anything at all", true},
        {"The*", "the end", true}, // in lower case, as phrases are listed
        {"ÉTÉ *", "été chaud", true},
        {"why\\?", "why?", true}, // "\" makes a wildcard stand for itself
        {"why\\?", "whyx", false},
        {"100\\*", "100*", true},
        {"100\\*", "1000", false},
        {"a\\\\b", "a\\b", true},
        {"end\\", "end\\", true}, // a "\" at the end stands for itself
        {"[a]", "[a]", true},     // brackets are plain characters
        {"[a]", "a", false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(patternOf(c.pattern, PhrasePattern::Kind::Wildcards).matches(c.phrase), c.matches)
            << c.pattern << " ~ " << c.phrase;
    }
}

TEST(PhrasePattern, RegularExpressionsAreFoundAnywhereInAnyCase)
{
    const Case cases[] = {
        {"number", "the number of", true}, {"^the\\b", "the end", true},
        {"^the\\b", "then it", false},     {"NUMBER", "the number of", true},
        {"\\d{4}", "in 1998 it", true},    {"\\d{4}", "in 98 it", false},
        {"^\\p{L}+ of$", "été of", true},  {"of$", "of the", false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(patternOf(c.pattern, PhrasePattern::Kind::RegularExpression).matches(c.phrase),
                  c.matches)
            << c.pattern << " ~ " << c.phrase;
    }
}

TEST(PhrasePattern, AnInvalidRegularExpressionSaysWhereAndWhy)
{
    const Result<PhrasePattern> made =
        PhrasePattern::make(QStringLiteral("the (number"), PhrasePattern::Kind::RegularExpression);
    ASSERT_FALSE(made.ok());
    EXPECT_TRUE(made.error().startsWith(
        QStringLiteral("The regular expression is not valid at character 12: ")))
        << made.error().toStdString();
    EXPECT_GT(made.error().size(), 55);
    // Wildcards are never invalid.
    EXPECT_TRUE(PhrasePattern::make(QStringLiteral("(\\"), PhrasePattern::Kind::Wildcards).ok());
}

TEST(PhrasePattern, OnlyMatchingRowsAreKeptInTheirOrder)
{
    PhraseResults results;
    results.append("the number of", 3, 2);
    results.append("number of people", 3, 2);
    results.append("the end", 2, 5);
    const std::vector<std::uint32_t> ids{2, 1, 0};
    EXPECT_EQ(matchingPhrases(ids, results, patternOf("the *", PhrasePattern::Kind::Wildcards)),
              (std::vector<std::uint32_t>{2, 0}));
    const PhrasePattern everything = patternOf("", PhrasePattern::Kind::Wildcards);
    EXPECT_TRUE(everything.isEmpty());
    EXPECT_EQ(matchingPhrases(ids, results, everything), ids);
    EXPECT_EQ(
        matchingPhrases(ids, results, patternOf("people$", PhrasePattern::Kind::RegularExpression)),
        (std::vector<std::uint32_t>{1}));
}
