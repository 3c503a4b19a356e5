#include "QtPrinters.h"
#include "TempTree.h"
#include "base/SettingsStore.h"
#include "filelist/FolderListing.h"
#include "filelist/SampleFiles.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

QByteArray everyByteFromOne()
{
    QByteArray bytes;
    for (int code = 1; code <= 255; ++code)
        bytes.append(char(code));
    return bytes;
}

class SampleFilesTest : public ::testing::Test {
protected:
    QString appDir() const { return m_tree.at(QStringLiteral("bin")); }
    QString sample(const QString &name) const
    {
        return m_tree.file(QStringLiteral("bin/Samples/") + name);
    }
    QStringList snapshot() const { return snapshotPaths(samplesSnapshotText(appDir())); }
    QStringList inNameOrder() const
    {
        QStringList paths;
        for (const QString &name :
             listFilesInFolder(samplesFolder(appDir()), QStringLiteral("*.*")).names)
            paths << samplesFolder(appDir()) + QLatin1Char('/') + name;
        return paths;
    }

    TempTree m_tree;
};

} // namespace

TEST(ScrambleTest, EveryByteFromOneTo255SurvivesAtEveryKeyPosition)
{
    for (int shift = 0; shift < 8; ++shift) {
        const QByteArray plain = QByteArray(shift, 'x') + everyByteFromOne();
        const QByteArray scrambled = scrambleBytes(plain);
        ASSERT_EQ(scrambled.size(), plain.size());
        EXPECT_FALSE(scrambled.contains('\0'));
        EXPECT_NE(scrambled, plain);
        EXPECT_EQ(unscrambleBytes(scrambled), plain) << "shift " << shift;
    }
}

TEST(ScrambleTest, TheWrapIsBy255)
{
    const int first = quint8(kScrambleKey[0]);
    const int second = quint8(kScrambleKey[1]);
    QByteArray plain;
    plain.append(char(255 - first)).append(char(256 - second));
    const QByteArray scrambled = scrambleBytes(plain);
    EXPECT_EQ(quint8(scrambled[0]), 255);
    EXPECT_EQ(quint8(scrambled[1]), 1);
    EXPECT_EQ(unscrambleBytes(scrambled), plain);
    EXPECT_EQ(scrambleBytes("ab", "bc"), QByteArray("\xC3\xC5"));
}

TEST(ScrambleTest, TheKeyIsEightLowercaseLetters)
{
    const QByteArray key(kScrambleKey);
    ASSERT_EQ(key.size(), 8);
    for (const char letter : key)
        EXPECT_TRUE(letter >= 'a' && letter <= 'z');
}

TEST(ScrambleTest, TextsWithAnyCharacterSurviveTheSettingsFile)
{
    TempTree tree;
    const QString plain = QStringLiteral(
        "/home/J\u00FCrgen/\u6587\u6863/Samples/a \u2013 \U0001F600.pdf|/tmp/=;,\"[x]%20\\.pdf");
    const QString stored = scrambleText(plain);
    EXPECT_NE(stored, plain);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9+/]+=*$")).match(stored).hasMatch())
        << stored.toStdString();
    {
        SettingsStore settings(tree.at(QStringLiteral("settings.ini")));
        settings.writeText(QStringLiteral("Stored"), stored);
    }
    SettingsStore reread(tree.at(QStringLiteral("settings.ini")));
    EXPECT_EQ(unscrambleText(reread.readText(QStringLiteral("Stored"))), plain);
}

TEST(ScrambleTest, EmptyOrDamagedValuesGiveTheEmptyText)
{
    EXPECT_EQ(scrambleText(QString()), QString());
    EXPECT_EQ(unscrambleText(QString()), QString());
    EXPECT_EQ(unscrambleText(QStringLiteral("not base64!")), QString());
}

TEST_F(SampleFilesTest, TheSnapshotHoldsFullPathsInNameOrderAndAnyNameSurvives)
{
    EXPECT_EQ(samplesSnapshotText(appDir()), QString());
    sample(QStringLiteral("b.pdf"));
    sample(QStringLiteral(".hidden"));
    sample(QStringLiteral("~$notes.txt"));
    sample(QStringLiteral("a|b \"quoted\".pdf"));
    m_tree.folder(QStringLiteral("bin/Samples/folder"));
    ASSERT_EQ(inNameOrder().size(), 4);
    EXPECT_EQ(snapshot(), inNameOrder());
    EXPECT_EQ(samplesToAdd(snapshot(), {}), inNameOrder());
}

// Earlier versions stored the paths joined by "|".
TEST_F(SampleFilesTest, ASnapshotStoredTheOldWayStillLoads)
{
    const QString a = sample(QStringLiteral("a.pdf"));
    const QString b = sample(QStringLiteral("b.pdf"));
    EXPECT_EQ(samplesToAdd(snapshotPaths(a + QLatin1Char('|') + b), {}), (QStringList{a, b}));
}

TEST_F(SampleFilesTest, AnEmptySampleFolderGivesAnEmptySnapshot)
{
    m_tree.folder(QStringLiteral("bin/Samples"));
    EXPECT_EQ(samplesSnapshotText(appDir()), QString());
    EXPECT_TRUE(snapshotPaths(QString()).isEmpty());
}

TEST_F(SampleFilesTest, ASecondPressAddsNoDuplicatesButCaseDifferentRowsDoNotBlock)
{
    const QString a = sample(QStringLiteral("a.pdf"));
    const QString b = sample(QStringLiteral("b.pdf"));
    const QStringList first = samplesToAdd(snapshot(), {QStringLiteral("/other.pdf")});
    ASSERT_EQ(first, inNameOrder());
    EXPECT_TRUE(samplesToAdd(snapshot(), first).isEmpty());
    EXPECT_EQ(samplesToAdd(snapshot(), {a}), QStringList{b});
    EXPECT_EQ(samplesToAdd(snapshot() + snapshot(), {}), first) << "each once";

    QString otherCase = a;
    otherCase.replace(QStringLiteral("a.pdf"), QStringLiteral("A.pdf"));
    EXPECT_EQ(samplesToAdd(snapshot(), {otherCase, b}), QStringList{a});
}

TEST_F(SampleFilesTest, FilesGoneOrAddedSinceTheSnapshotAreNotLoaded)
{
    const QString a = sample(QStringLiteral("a.pdf"));
    const QString b = sample(QStringLiteral("b.pdf"));
    const QStringList taken = snapshot();
    QFile::remove(a);
    sample(QStringLiteral("later.pdf"));
    EXPECT_EQ(samplesToAdd(taken, {}), QStringList{b});
}

TEST_F(SampleFilesTest, ANonAsciiSampleFolderLoads)
{
    const QString appDir = m_tree.at(QStringLiteral("J\u00FCrgen \u6587\u6863"));
    const QString pdf =
        m_tree.file(QStringLiteral("J\u00FCrgen \u6587\u6863/Samples/\u00E9t\u00E9.pdf"));
    EXPECT_EQ(
        samplesToAdd(snapshotPaths(unscrambleText(scrambleText(samplesSnapshotText(appDir)))), {}),
        QStringList{pdf});
}
