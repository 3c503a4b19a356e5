#include "QtPrinters.h"
#include "base/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

TEST(ProgramInfo, TheVersionIsTheBuildsThreePartVersion)
{
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"))
                    .match(programVersion())
                    .hasMatch())
        << programVersion().toStdString();
}

TEST(ProgramInfo, InstalledIconsAreFoundLargestFirst)
{
    QTemporaryDir prefix;
    const QDir share(prefix.filePath(QStringLiteral("share")));
    ASSERT_TRUE(share.mkpath(QStringLiteral("orvanta")));
    QStringList made;
    for (const char *size : {"256x256", "16x16"}) {
        const QString folder = QStringLiteral("icons/hicolor/%1/apps").arg(QLatin1String(size));
        ASSERT_TRUE(share.mkpath(folder));
        QFile icon(share.filePath(folder + QStringLiteral("/io.teralune.Orvanta.png")));
        ASSERT_TRUE(icon.open(QIODevice::WriteOnly));
        made << QFileInfo(icon).absoluteFilePath();
    }
    EXPECT_EQ(programIconFiles(share.filePath(QStringLiteral("orvanta"))), made);
}

TEST(ProgramInfo, ABuildFolderHasNoInstalledIcons)
{
    QTemporaryDir build;
    EXPECT_TRUE(programIconFiles(build.path()).isEmpty());
}
