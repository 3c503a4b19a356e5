#include "QtPrinters.h"
#include "base/FileHelpers.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orvanta;

namespace {

class FileSizeTest : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(FileSizeTest, SizesOfReadableFiles)
{
    EXPECT_EQ(fileSize2(write(QStringLiteral("empty.txt"), {})), 0);
    EXPECT_EQ(fileSize2(write(QStringLiteral("ten.txt"), "0123456789")), 10);
    EXPECT_EQ(fileSize2(write(QStringLiteral("big.bin"), QByteArray(70000, 'x'))), 70000);
}

TEST_F(FileSizeTest, FilesThatCannotBeOpenedGiveMinusOne)
{
    EXPECT_EQ(fileSize2(m_dir.filePath(QStringLiteral("missing.txt"))), -1);
    EXPECT_EQ(fileSize2(QString()), -1);
    EXPECT_EQ(fileSize2(m_dir.path()), -1);
}

TEST_F(FileSizeTest, AnUnreadableFileGivesMinusOne)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file, so none can be made unreadable";
    const QString path = write(QStringLiteral("secret.txt"), "0123456789");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::WriteOwner));
    EXPECT_EQ(fileSize2(path), -1);
}

TEST_F(FileSizeTest, SizesBeyond4GiBKeepTheirLow32BitsAsASignedNumber)
{
    // A sparse file takes no disk space.
    const QString path = write(QStringLiteral("sparse.bin"), {});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(0x1'8000'0005LL));
    file.close();
    EXPECT_EQ(fileSize2(path), static_cast<std::int32_t>(0x8000'0005u));
}
