#include "QtPrinters.h"
#include "phrases/PhraseResults.h"
#include "phrases/ResultOrdering.h"

#include <QRandomGenerator>
#include <QSet>

#include <gtest/gtest.h>

using namespace orvanta;

TEST(SortKey, FrequencyIsZeroPaddedToElevenDigits)
{
    EXPECT_EQ(makeSortKey(QStringLiteral("5 the end")), QStringLiteral("00000000005 the end"));
    EXPECT_EQ(makeSortKey(QStringLiteral("2147483647 a b")), QStringLiteral("02147483647 a b"));
}

TEST(SortKey, DecodingGivesFrequencyWithoutZerosAndPhraseWithOneLeadingSpace)
{
    const DecodedSortKey decoded = decodeSortKey(QStringLiteral("00000000012 the end"));
    EXPECT_EQ(decoded.frequencyText, QStringLiteral("12"));
    EXPECT_EQ(decoded.displayPhrase, QStringLiteral(" the end"));
    EXPECT_EQ(stripLeadingZeros(QStringLiteral("000100")), QStringLiteral("100"));
}

TEST(SortKeys, PaddedFrequenciesSortNumerically)
{
    QStringList keys{makeSortKey(QStringLiteral("100 x y")), makeSortKey(QStringLiteral("9 x y")),
                     makeSortKey(QStringLiteral("10 x y"))};
    sortKeys(keys);
    EXPECT_EQ(decodeSortKey(keys[0]).frequencyText, QStringLiteral("9"));
    EXPECT_EQ(decodeSortKey(keys[1]).frequencyText, QStringLiteral("10"));
    EXPECT_EQ(decodeSortKey(keys[2]).frequencyText, QStringLiteral("100"));
}

TEST(SortKeys, EmptyListStaysEmptyAndTiesSortByPhrase)
{
    QStringList empty;
    sortKeys(empty);
    EXPECT_TRUE(empty.isEmpty());

    QStringList keys{makeSortKey(QStringLiteral("3 zebra crossing")),
                     makeSortKey(QStringLiteral("3 apple pie"))};
    sortKeys(keys);
    EXPECT_EQ(decodeSortKey(keys[0]).displayPhrase, QStringLiteral(" apple pie"));
}

TEST(CompareByCodePoint, SupplementaryCharactersSortAfterTheRestOfTheBasicPlane)
{
    const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");
    const QString fullwidth = QString::fromUtf8("\xef\xbc\xa1");
    EXPECT_LT(compareByCodePoint(fullwidth, emoji), 0);
    EXPECT_GT(compareByCodePoint(emoji, fullwidth), 0);
    EXPECT_LT(compareByCodePoint(QStringLiteral("ab"), QStringLiteral("abc")), 0);
    EXPECT_EQ(compareByCodePoint(QStringLiteral("abc"), QStringLiteral("abc")), 0);
}

TEST(SortForDisplay, GivesTheOrderOfTheSortedKeys)
{
    const char *words[] = {"a", "b", "ä", "z", "\xf0\x9f\x98\x80", "\xef\xbc\xa1", "a\x01", "0"};
    QRandomGenerator random(7);
    PhraseResults results;
    QStringList keys;
    QSet<QString> seen;
    for (int i = 0; i < 300; ++i) {
        QByteArray phrase = words[random.bounded(int(std::size(words)))];
        phrase += ' ';
        phrase += words[random.bounded(int(std::size(words)))];
        const int frequency = random.bounded(2, 120);
        if (seen.contains(QString::fromUtf8(phrase)))
            continue;
        seen.insert(QString::fromUtf8(phrase));
        results.append(std::string_view(phrase.constData(), size_t(phrase.size())), 2, frequency);
        keys << makeSortKey(QString::number(frequency) + QLatin1Char(' ') +
                            QString::fromUtf8(phrase));
    }
    results.sortForDisplay();
    sortKeys(keys);
    ASSERT_EQ(results.size(), keys.size());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const DecodedSortKey decoded = decodeSortKey(keys[i]);
        EXPECT_EQ(results.row(i).displayPhrase(), decoded.displayPhrase) << i;
        EXPECT_EQ(QString::number(results.frequency(i)), decoded.frequencyText) << i;
    }
}
