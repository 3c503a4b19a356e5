#include "QtPrinters.h"
#include "base/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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
    EXPECT_EQ(store.readText(QStringLiteral("Ticked"), QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(store.readText(QStringLiteral("Typed")), QString());
    EXPECT_EQ(store.readText(QStringLiteral("Box17"), QStringLiteral("0")), QStringLiteral("0"));
}

TEST_F(SettingsStoreTest, ValuesSurviveANewStoreOnTheSameFile)
{
    {
        SettingsStore store(iniFile());
        EXPECT_TRUE(store.writeText(QStringLiteral("Typed"), QStringLiteral("2, 5, 6")));
        EXPECT_TRUE(store.writeText(QStringLiteral("Box8"), QStringLiteral("1")));
        EXPECT_TRUE(store.writeText(QStringLiteral("Folder"),
                                    QStringLiteral("/home/ann/Dokumente/Verträge")));
    }
    SettingsStore reopened(iniFile());
    EXPECT_EQ(reopened.readText(QStringLiteral("Typed")), QStringLiteral("2, 5, 6"));
    EXPECT_EQ(reopened.readText(QStringLiteral("Box8")), QStringLiteral("1"));
    EXPECT_EQ(reopened.readText(QStringLiteral("Folder")),
              QStringLiteral("/home/ann/Dokumente/Verträge"));
}

TEST_F(SettingsStoreTest, EveryReadSeesAWriteMadeThroughAnotherStore)
{
    SettingsStore first(iniFile());
    SettingsStore second(iniFile());
    first.writeText(QStringLiteral("Ticked"), QStringLiteral("1"));
    EXPECT_EQ(second.readText(QStringLiteral("Ticked"), QStringLiteral("0")), QStringLiteral("1"));
}

TEST_F(SettingsStoreTest, KeysLiveInTheOrvantaGroup)
{
    SettingsStore(iniFile()).writeText(QStringLiteral("Extension"), QStringLiteral("pdf"));
    QFile file(iniFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("[Orvanta]\nExtension=pdf"));
}

TEST_F(SettingsStoreTest, AWriteToAnUnwritableFileIsReported)
{
    SettingsStore store(QStringLiteral("/proc/orvanta-cannot-exist/settings.ini"));
    EXPECT_FALSE(store.writeText(QStringLiteral("Typed"), QStringLiteral("4")));
}

// A settings file linked to a device or FIFO (a way to stop a program saving) stays as it is:
// saving would put a regular file in the device's place.
TEST_F(SettingsStoreTest, ALinkToSomethingOtherThanAFileIsNeverWritten)
{
    // A null device of our own where root may make one: /dev/null is never put at risk as root.
    QString device = QStringLiteral("/dev/null");
    if (::geteuid() == 0) {
        device = m_dir.filePath(QStringLiteral("null"));
        ASSERT_EQ(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
    ASSERT_TRUE(QFile::link(device, iniFile()));

    SettingsStore store(iniFile());
    EXPECT_FALSE(store.writeText(QStringLiteral("Typed"), QStringLiteral("4")));
    EXPECT_TRUE(QFileInfo(iniFile()).isSymLink());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    // A link to a regular file is followed as before.
    const QString real = m_dir.filePath(QStringLiteral("real.ini"));
    QFile(real).open(QIODevice::WriteOnly);
    QFile::remove(iniFile());
    ASSERT_TRUE(QFile::link(real, iniFile()));
    EXPECT_TRUE(SettingsStore(iniFile()).writeText(QStringLiteral("Typed"), QStringLiteral("4")));
    EXPECT_TRUE(QFileInfo(iniFile()).isSymLink());
    EXPECT_EQ(SettingsStore(real).readText(QStringLiteral("Typed")), QStringLiteral("4"));
}
