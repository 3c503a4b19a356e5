#include "QtPrinters.h"
#include "base/FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("x");
    return path;
}

} // namespace

TEST(FileExists, TrueForFilesAndFoldersFalseForMissingAndEmpty)
{
    QTemporaryDir dir;
    EXPECT_TRUE(fileExists(writeFile(dir, QStringLiteral("a.txt"))));
    EXPECT_TRUE(fileExists(dir.path()));
    EXPECT_FALSE(fileExists(dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_FALSE(fileExists(QString()));
}
