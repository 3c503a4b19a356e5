#include "QtPrinters.h"
#include "TestSupport.h"
#include "base/FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

TEST(FileExists, TrueForFilesAndFoldersFalseForMissingAndEmpty)
{
    QTemporaryDir dir;
    EXPECT_TRUE(fileExists(writeFile(dir.filePath(QStringLiteral("a.txt")), "x")));
    EXPECT_TRUE(fileExists(dir.path()));
    EXPECT_FALSE(fileExists(dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_FALSE(fileExists(QString()));
}
