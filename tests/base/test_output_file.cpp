// Where results are written: a file replaced only once complete, a FIFO or device written to as
// it is, and every failure said rather than taken for success.

#include "FileSizeCap.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "base/OutputFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace orvanta;

namespace {

class OutputFileTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
};

struct stat statOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

} // namespace

TEST_F(OutputFileTest, AFileIsReplacedOnlyWhenItIsFinished)
{
    writeFile(path("results.txt"), "last week\n");
    {
        OutputFile unfinished(path("results.txt"));
        ASSERT_TRUE(unfinished.open());
        EXPECT_TRUE(unfinished.write("half of it"));
    }
    EXPECT_EQ(readFile(path("results.txt")), QByteArray("last week\n"));
    EXPECT_EQ(entries(), QStringList{"results.txt"});

    OutputFile file(path("results.txt"));
    ASSERT_TRUE(file.open());
    EXPECT_TRUE(file.write("this week\n"));
    EXPECT_TRUE(file.finish());
    EXPECT_EQ(readFile(path("results.txt")), QByteArray("this week\n"));
    EXPECT_EQ(entries(), QStringList{"results.txt"});
}

TEST_F(OutputFileTest, AWriteFailingHalfWayFailsTheFileAndKeepsTheOldOne)
{
    writeFile(path("kept.txt"), "the old results\n");
    OutputFile file(path("kept.txt"));
    {
        const FileSizeCap cap(16);
        ASSERT_TRUE(cap.active());
        ASSERT_TRUE(file.open());
        EXPECT_FALSE(file.write(QByteArray(4096, 'x')));
        EXPECT_FALSE(file.finish());
    }
    EXPECT_FALSE(file.errorString().isEmpty());
    EXPECT_EQ(readFile(path("kept.txt")), QByteArray("the old results\n"));
    EXPECT_EQ(entries(), QStringList{"kept.txt"});
}

// What cannot be opened is said at once, and left as it was.
TEST_F(OutputFileTest, AFolderOrAPathBelowAFileCannotBeOpened)
{
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    writeFile(path("folder/inside.txt"), "keep me\n");
    writeFile(path("plain.txt"), "keep me too\n");
    for (const char *name : {"folder", "plain.txt/below.txt", "missing/new.txt"}) {
        OutputFile file(path(name));
        EXPECT_FALSE(file.open()) << name;
        EXPECT_FALSE(file.errorString().isEmpty()) << name;
    }
    EXPECT_EQ(readFile(path("folder/inside.txt")), QByteArray("keep me\n"));
    EXPECT_EQ(readFile(path("plain.txt")), QByteArray("keep me too\n"));
    EXPECT_EQ(entries(), (QStringList{"folder", "plain.txt"}));
}

// Replacing a FIFO would put a regular file in its place; one nobody reads is said at once
// instead of holding the writer.
TEST_F(OutputFileTest, AFifoIsWrittenToAsItIsAndOneWithoutReaderIsRefused)
{
    const QString fifo = path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    OutputFile unread(fifo);
    EXPECT_FALSE(unread.open());
    EXPECT_FALSE(unread.errorString().isEmpty());

    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    OutputFile file(fifo);
    ASSERT_TRUE(file.open());
    EXPECT_TRUE(file.write("through the pipe\r\n"));
    EXPECT_TRUE(file.finish());
    QByteArray received(64, '\0');
    const ssize_t size = ::read(reader, received.data(), size_t(received.size()));
    ::close(reader);
    EXPECT_EQ(received.left(std::max<ssize_t>(size, 0)), "through the pipe\r\n");
    EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));
}

TEST_F(OutputFileTest, AFullDeviceFailsTheWriteAndStaysADevice)
{
    // A device node of our own where root may make one; /dev/full is never written as root.
    QString device = QStringLiteral("/dev/full");
    if (::geteuid() == 0) {
        device = path("full");
        ASSERT_EQ(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 7)), 0);
    }
    const struct stat before = statOf(device);
    ASSERT_TRUE(S_ISCHR(before.st_mode) && before.st_rdev == makedev(1, 7));

    OutputFile file(device);
    ASSERT_TRUE(file.open());
    const bool written = file.write("anything\r\n") && file.finish();
    EXPECT_FALSE(written);
    EXPECT_EQ(file.errorString(), QString::fromLocal8Bit(std::strerror(ENOSPC)));
    const struct stat after = statOf(device);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, before.st_rdev);
}
