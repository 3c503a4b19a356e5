#include "QtPrinters.h"
#include "base/SettingsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    QString iniFile() const { return m_dir.filePath(QStringLiteral("settings.ini")); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(SettingsStoreTest, KeysNeverWrittenReadAsTheirDefaults)
{
    SettingsStore store(iniFile());
    EXPECT_EQ(store.readText(QLatin1String(settings_keys::kCheck2), QStringLiteral("0")),
              QStringLiteral("0"));
    EXPECT_EQ(store.readText(QLatin1String(settings_keys::kText1)), QString());
    EXPECT_EQ(store.readText(SettingsStore::phrasesKey(17), QStringLiteral("0")),
              QStringLiteral("0"));
}

TEST_F(SettingsStoreTest, ValuesSurviveANewStoreOnTheSameFile)
{
    {
        SettingsStore store(iniFile());
        EXPECT_TRUE(
            store.writeText(QLatin1String(settings_keys::kText1), QStringLiteral("2, 5, 6")));
        EXPECT_TRUE(store.writeText(SettingsStore::phrasesKey(8), QStringLiteral("1")));
        EXPECT_TRUE(store.writeText(QLatin1String(settings_keys::kLastFolder),
                                    QStringLiteral("/home/ann/Dokumente/Verträge")));
    }
    SettingsStore reopened(iniFile());
    EXPECT_EQ(reopened.readText(QLatin1String(settings_keys::kText1)), QStringLiteral("2, 5, 6"));
    EXPECT_EQ(reopened.readText(QStringLiteral("Phrases8")), QStringLiteral("1"));
    EXPECT_EQ(reopened.readText(QLatin1String(settings_keys::kLastFolder)),
              QStringLiteral("/home/ann/Dokumente/Verträge"));
}

TEST_F(SettingsStoreTest, EveryReadSeesAWriteMadeThroughAnotherStore)
{
    SettingsStore first(iniFile());
    SettingsStore second(iniFile());
    first.writeText(QLatin1String(settings_keys::kCheck2), QStringLiteral("1"));
    EXPECT_EQ(second.readText(QLatin1String(settings_keys::kCheck2), QStringLiteral("0")),
              QStringLiteral("1"));
}

TEST_F(SettingsStoreTest, KeysLiveInTheOrvantaGroup)
{
    SettingsStore(iniFile()).writeText(QLatin1String(settings_keys::kExtension),
                                       QStringLiteral("pdf"));
    QFile file(iniFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("[Orvanta]\nExtension=pdf"));
}

TEST_F(SettingsStoreTest, AWriteToAnUnwritableFileIsReported)
{
    SettingsStore store(QStringLiteral("/proc/orvanta-cannot-exist/settings.ini"));
    EXPECT_FALSE(store.writeText(QLatin1String(settings_keys::kText1), QStringLiteral("4")));
}
