#include "QtPrinters.h"
#include "base/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

TEST(DataFolder, InstalledLayoutGivesTheShareFolder)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/orvanta")));

    EXPECT_EQ(dataFolder(prefix.filePath(QStringLiteral("bin"))),
              QDir::cleanPath(prefix.filePath(QStringLiteral("share/orvanta"))));
}

TEST(DataFolder, BuildFolderWithoutShareFolderGivesTheExecutableFolder)
{
    QTemporaryDir build;
    ASSERT_TRUE(QDir(build.path()).mkpath(QStringLiteral("bin")));
    const QString bin = build.filePath(QStringLiteral("bin"));

    EXPECT_EQ(dataFolder(bin), bin);
}

TEST(DataFolder, OtherProgramsDataFolderIsNotTaken)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/other")));
    const QString bin = prefix.filePath(QStringLiteral("bin"));

    EXPECT_EQ(dataFolder(bin), bin);
}

TEST(DataFolder, FileInPlaceOfTheShareFolderIsNotTaken)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share")));
    QFile file(prefix.filePath(QStringLiteral("share/orvanta")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString bin = prefix.filePath(QStringLiteral("bin"));

    EXPECT_EQ(dataFolder(bin), bin);
}
