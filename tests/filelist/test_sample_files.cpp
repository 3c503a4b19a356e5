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
    SampleFilesTest()
        : m_settings(m_tree.at(QStringLiteral("settings.ini")))
    {
    }

    QString appDir() const { return m_tree.at(QStringLiteral("bin")); }
    QString sample(const QString &name) const
    {
        return m_tree.file(QStringLiteral("bin/Samples/") + name);
    }
    QString storedSnapshot() const
    {
        return m_settings.readText(QLatin1String(settings_keys::kSnapshot));
    }
    QStringList inNameOrder() const
    {
        QStringList paths;
        for (const QString &name :
             listFilesInFolder(samplesFolder(appDir()), QStringLiteral("*.*")).names)
            paths << samplesFolder(appDir()) + QLatin1Char('/') + name;
        return paths;
    }

    TempTree m_tree;
    SettingsStore m_settings;
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
        settings.writeText(QLatin1String(settings_keys::kSnapshot), stored);
    }
    SettingsStore reread(tree.at(QStringLiteral("settings.ini")));
    EXPECT_EQ(unscrambleText(reread.readText(QLatin1String(settings_keys::kSnapshot))), plain);
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
    EXPECT_EQ(snapshotPaths(samplesSnapshotText(appDir())), inNameOrder());
    takeSamplesSnapshot(appDir(), m_settings);
    EXPECT_EQ(sampleFilesToAdd(m_settings, {}), inNameOrder());
}

// Earlier versions stored the paths joined by "|".
TEST_F(SampleFilesTest, ASnapshotStoredTheOldWayStillLoads)
{
    const QString a = sample(QStringLiteral("a.pdf"));
    const QString b = sample(QStringLiteral("b.pdf"));
    m_settings.writeText(QLatin1String(settings_keys::kSnapshot),
                         scrambleText(a + QLatin1Char('|') + b));
    EXPECT_EQ(sampleFilesToAdd(m_settings, {}), (QStringList{a, b}));
}

// After the program folder moves, none of the stored paths exists: the snapshot is taken again.
TEST_F(SampleFilesTest, ASnapshotWhoseFilesAreAllGoneIsTakenAgain)
{
    const QString movedFrom = m_tree.at(QStringLiteral("old"));
    m_settings.writeText(QLatin1String(settings_keys::kSnapshot),
                         scrambleText(QStringLiteral("[\"%1/Samples/a.pdf\"]").arg(movedFrom)));
    const QString a = sample(QStringLiteral("a.pdf"));
    refreshSamplesSnapshot(appDir(), m_settings);
    EXPECT_EQ(sampleFilesToAdd(m_settings, {}), QStringList{a});

    // One that still has a file is kept as it is.
    const QString before = storedSnapshot();
    sample(QStringLiteral("later.pdf"));
    refreshSamplesSnapshot(appDir(), m_settings);
    EXPECT_EQ(storedSnapshot(), before);
}

TEST_F(SampleFilesTest, TheSnapshotIsStoredScrambled)
{
    sample(QStringLiteral("a.pdf"));
    sample(QStringLiteral("b.pdf"));
    takeSamplesSnapshot(appDir(), m_settings);
    const QString stored = storedSnapshot();
    EXPECT_FALSE(stored.contains(QStringLiteral("Samples")));
    EXPECT_EQ(unscrambleText(stored), samplesSnapshotText(appDir()));
}

TEST_F(SampleFilesTest, AnEmptySampleFolderLeavesTheSnapshotEmpty)
{
    m_tree.folder(QStringLiteral("bin/Samples"));
    takeSamplesSnapshot(appDir(), m_settings);
    EXPECT_EQ(storedSnapshot(), QString());
    EXPECT_TRUE(sampleFilesToAdd(m_settings, {}).isEmpty());
}

TEST_F(SampleFilesTest, LoadsOneOrTwoFilesInSnapshotOrder)
{
    const QString a = sample(QStringLiteral("a.pdf"));
    takeSamplesSnapshot(appDir(), m_settings);
    EXPECT_EQ(sampleFilesToAdd(m_settings, {}), QStringList{a});

    sample(QStringLiteral("b.pdf"));
    takeSamplesSnapshot(appDir(), m_settings);
    EXPECT_EQ(sampleFilesToAdd(m_settings, {}), inNameOrder());
}

TEST_F(SampleFilesTest, ASecondPressAddsNoDuplicatesButCaseDifferentRowsDoNotBlock)
{
    const QString a = sample(QStringLiteral("a.pdf"));
    const QString b = sample(QStringLiteral("b.pdf"));
    takeSamplesSnapshot(appDir(), m_settings);
    const QStringList first = sampleFilesToAdd(m_settings, {QStringLiteral("/other.pdf")});
    ASSERT_EQ(first.size(), 2);
    EXPECT_TRUE(sampleFilesToAdd(m_settings, first).isEmpty());
    EXPECT_EQ(sampleFilesToAdd(m_settings, {a}), QStringList{b});

    QString otherCase = a;
    otherCase.replace(QStringLiteral("a.pdf"), QStringLiteral("A.pdf"));
    EXPECT_EQ(sampleFilesToAdd(m_settings, {otherCase, b}), QStringList{a});
}

TEST_F(SampleFilesTest, FilesGoneOrAddedSinceTheSnapshotAreNotLoaded)
{
    const QString a = sample(QStringLiteral("a.pdf"));
    const QString b = sample(QStringLiteral("b.pdf"));
    takeSamplesSnapshot(appDir(), m_settings);
    QFile::remove(a);
    sample(QStringLiteral("later.pdf"));
    EXPECT_EQ(sampleFilesToAdd(m_settings, {}), QStringList{b});
}

TEST_F(SampleFilesTest, ANonAsciiSampleFolderLoads)
{
    const QString appDir = m_tree.at(QStringLiteral("J\u00FCrgen \u6587\u6863"));
    const QString pdf =
        m_tree.file(QStringLiteral("J\u00FCrgen \u6587\u6863/Samples/\u00E9t\u00E9.pdf"));
    takeSamplesSnapshot(appDir, m_settings);
    EXPECT_EQ(sampleFilesToAdd(m_settings, {}), QStringList{pdf});
}

TEST_F(SampleFilesTest, NoSnapshotLoadsNothing)
{
    sample(QStringLiteral("a.pdf"));
    EXPECT_TRUE(sampleFilesToAdd(m_settings, {}).isEmpty());
}
