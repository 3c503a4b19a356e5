#include "QtPrinters.h"
#include "ScriptedDialogService.h"
#include "TempTree.h"
#include "app/StoredChoices.h"
#include "app/StoredNames.h"
#include "base/SettingsStore.h"
#include "filelist/SampleFiles.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace keys = stored_names::keys;

namespace {

class SampleSnapshotTest : public ::testing::Test {
protected:
    SampleSnapshotTest()
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
        return m_settings.readText(QLatin1String(keys::kSamplesSnapshot));
    }

    TempTree m_tree;
    SettingsStore m_settings;
};

} // namespace

// The samples' snapshot

TEST_F(SampleSnapshotTest, TheSnapshotIsStoredScrambledAndLoadsItsFilesInOrder)
{
    const QString a = sample(QStringLiteral("a.pdf"));
    const QString b = sample(QStringLiteral("b.pdf"));
    takeSamplesSnapshot(appDir(), m_settings);
    const QString stored = storedSnapshot();
    EXPECT_FALSE(stored.contains(QStringLiteral("Samples")));
    EXPECT_EQ(unscrambleText(stored), samplesSnapshotText(appDir()));
    EXPECT_EQ(sampleFilesToAdd(m_settings, {}), (QStringList{a, b}));
    EXPECT_EQ(sampleFilesToAdd(m_settings, {a}), QStringList{b});
}

// After the program folder moves, none of the stored paths exists: the snapshot is taken again.
TEST_F(SampleSnapshotTest, ASnapshotWhoseFilesAreAllGoneIsTakenAgain)
{
    const QString movedFrom = m_tree.at(QStringLiteral("old"));
    m_settings.writeText(QLatin1String(keys::kSamplesSnapshot),
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

TEST_F(SampleSnapshotTest, NoSnapshotLoadsNothing)
{
    sample(QStringLiteral("a.pdf"));
    EXPECT_TRUE(sampleFilesToAdd(m_settings, {}).isEmpty());
}

// The folder scan's start

TEST(ChooseScanFolderTest, StoresTheExtensionAndAConfirmedFolder)
{
    TempTree tree;
    SettingsStore settings(tree.at(QStringLiteral("settings.ini")));
    settings.writeText(QLatin1String(keys::kLastScanFolder), QStringLiteral("/srv/old"));
    ScriptedDialogService dialogs;
    dialogs.folderResults = {QString(), QStringLiteral("/srv/new")};

    EXPECT_EQ(chooseScanFolder(dialogs, settings), QString());
    EXPECT_EQ(settings.readText(QLatin1String(keys::kScanExtension)), QStringLiteral("pdf"));
    EXPECT_EQ(settings.readText(QLatin1String(keys::kLastScanFolder)), QStringLiteral("/srv/old"));

    EXPECT_EQ(chooseScanFolder(dialogs, settings), QStringLiteral("/srv/new"));
    EXPECT_EQ(settings.readText(QLatin1String(keys::kLastScanFolder)), QStringLiteral("/srv/new"));

    ASSERT_EQ(dialogs.shown.size(), 2u);
    for (const auto &shown : dialogs.shown) {
        EXPECT_EQ(shown.kind, QStringLiteral("folder"));
        EXPECT_EQ(shown.title, QStringLiteral("Please select folder:"));
        EXPECT_EQ(shown.text, QStringLiteral("/srv/old"));
    }
}

TEST(ChooseScanFolderTest, OpensWithNothingSelectedTheFirstTime)
{
    TempTree tree;
    SettingsStore settings(tree.at(QStringLiteral("settings.ini")));
    ScriptedDialogService dialogs;
    chooseScanFolder(dialogs, settings);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, QString());
}
