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

TEST(DeleteFileQuietly, RemovesPlainAndReadOnlyFiles)
{
    QTemporaryDir dir;
    const QString plain = writeFile(dir, QStringLiteral("plain.txt"));
    const QString readOnly = writeFile(dir, QStringLiteral("read-only.txt"));
    QFile::setPermissions(readOnly, QFile::ReadOwner);

    deleteFileQuietly(plain);
    deleteFileQuietly(readOnly);

    EXPECT_FALSE(QFile::exists(plain));
    EXPECT_FALSE(QFile::exists(readOnly));
}

TEST(DeleteFileQuietly, MissingFilesAndFoldersAreLeftAloneWithoutComplaint)
{
    QTemporaryDir dir;
    deleteFileQuietly(dir.filePath(QStringLiteral("missing.txt")));
    deleteFileQuietly(QString());
    deleteFileQuietly(dir.path());
    EXPECT_TRUE(QDir(dir.path()).exists());
}
