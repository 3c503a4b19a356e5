#include "QtPrinters.h"
#include "TestSupport.h"
#include "base/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace orvanta;

namespace {

QString usualName()
{
    return QStringLiteral("orvanta-") + QString::number(::geteuid());
}

int modeOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return int(info.st_mode & 07777);
}

void setMode(const QString &path, int mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

class PrivateFolderTest : public ::testing::Test {
protected:
    ScopedTmpdir m_tmp;
};

} // namespace

// Choosing the parent

TEST_F(PrivateFolderTest, ThePrivateRuntimeFolderComesFirstThenTmpdir)
{
    QTemporaryDir runtime;
    setMode(runtime.path(), 0700);
    {
        const ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        const Result<Directory> folder = openPrivateFolder();
        ASSERT_TRUE(folder.ok()) << folder.error().toStdString();
        EXPECT_EQ(folder->path(), runtime.filePath(usualName()));
    }
    setMode(runtime.path(), 0777); // others could swap our folder there: not used
    const ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const Result<Directory> folder = openPrivateFolder();
    ASSERT_TRUE(folder.ok());
    EXPECT_EQ(folder->path(), m_tmp.filePath(usualName()));
    EXPECT_EQ(modeOf(folder->path()), 0700);
}

TEST_F(PrivateFolderTest, AParentOthersCanWriteIsRefusedUnlessItHasTheStickyBit)
{
    setMode(m_tmp.path(), 0777);
    const Result<Directory> refused = openPrivateFolder();
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(m_tmp.path()));
    EXPECT_TRUE(refused.error().contains(QStringLiteral("TMPDIR")));
    EXPECT_TRUE(m_tmp.entries().isEmpty());

    setMode(m_tmp.path(), 01777);
    EXPECT_TRUE(openPrivateFolder().ok());
    setMode(m_tmp.path(), 0700);
}

// The folder itself

TEST_F(PrivateFolderTest, AFolderOfOursThatOthersCouldReadIsClosedToThem)
{
    QDir(m_tmp.path()).mkdir(usualName());
    setMode(m_tmp.filePath(usualName()), 0755);
    ASSERT_TRUE(openPrivateFolder().ok());
    EXPECT_EQ(modeOf(m_tmp.filePath(usualName())), 0700);
}

TEST_F(PrivateFolderTest, ATakenNameLeadsToAFolderOfOurOwnUsedAgainNextTime)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), m_tmp.filePath(usualName())));

    const Result<Directory> first = openPrivateFolder();
    ASSERT_TRUE(first.ok());
    EXPECT_TRUE(first->path().startsWith(m_tmp.filePath(usualName() + QLatin1Char('-'))));
    EXPECT_EQ(modeOf(first->path()), 0700);
    EXPECT_EQ(openPrivateFolder()->path(), first->path());
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

TEST_F(PrivateFolderTest, AFolderOfAnotherUserIsLeftToThem)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can hand a folder to another user";
    const QString taken = m_tmp.filePath(usualName());
    QDir().mkdir(taken);
    ASSERT_EQ(::chown(QFile::encodeName(taken).constData(), 65534, 65534), 0);
    const Result<Directory> folder = openPrivateFolder();
    ASSERT_TRUE(folder.ok());
    EXPECT_NE(folder->path(), taken);
    EXPECT_TRUE(QDir(taken).isEmpty());
}

// Work below the folder goes through its descriptor: a name swapped for a link afterwards
// redirects nothing.
TEST_F(PrivateFolderTest, WorkBelowFollowsTheOpenedFolderNotItsName)
{
    Result<Directory> folder = openPrivateFolder();
    ASSERT_TRUE(folder.ok());
    QTemporaryDir target;
    const QString moved = m_tmp.filePath(QStringLiteral("moved"));
    ASSERT_TRUE(QDir().rename(folder->path(), moved));
    ASSERT_TRUE(QFile::link(target.path(), folder->path()));

    ASSERT_TRUE(folder->createFile(QStringLiteral("text")).ok());
    ASSERT_TRUE(folder->makeSubfolder(QStringLiteral("sub-")).ok());
    EXPECT_TRUE(QDir(target.path()).isEmpty());
    EXPECT_TRUE(QFile::exists(moved + QStringLiteral("/text")));
    EXPECT_TRUE(folder->removeFile(QStringLiteral("text")));
    EXPECT_FALSE(QFile::exists(moved + QStringLiteral("/text")));
}

TEST_F(PrivateFolderTest, RemovingATreeRemovesLinksWithoutFollowingThem)
{
    Result<Directory> folder = openPrivateFolder();
    ASSERT_TRUE(folder.ok());
    QTemporaryDir outside;
    const QString kept = writeFile(outside.filePath(QStringLiteral("keep.txt")), "keep");
    const QString tree = folder->pathOf(QStringLiteral("tree"));
    writeFile(tree + QStringLiteral("/deep/er/file.txt"), "x");
    ASSERT_TRUE(QFile::link(outside.path(), tree + QStringLiteral("/deep/link")));

    EXPECT_TRUE(folder->removeTree(QStringLiteral("tree")));
    EXPECT_FALSE(QFileInfo::exists(tree));
    EXPECT_EQ(readFile(kept), QByteArray("keep"));
}

// Instances

TEST_F(PrivateFolderTest, AnInstanceFolderGoesWithItsInstanceAndLeftoversOfGoneOnesAreRemoved)
{
    Result<std::unique_ptr<InstanceFolder>> live = InstanceFolder::create();
    ASSERT_TRUE(live.ok()) << live.error().toStdString();
    const QString livePath = (*live)->directory().path();

    // What a killed instance leaves: its folder with a lock nobody holds.
    const QString gone = m_tmp.filePath(usualName() + QStringLiteral("/instance-1-gone"));
    writeFile(gone + QStringLiteral("/lock"), {});
    writeFile(gone + QStringLiteral("/text-1"), "converted text");

    Result<std::unique_ptr<InstanceFolder>> next = InstanceFolder::create();
    ASSERT_TRUE(next.ok());
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_TRUE(QFileInfo::exists(livePath));
    const QString nextPath = (*next)->directory().path();
    EXPECT_NE(nextPath, livePath);

    live->reset();
    next->reset();
    EXPECT_FALSE(QFileInfo::exists(livePath));
    EXPECT_FALSE(QFileInfo::exists(nextPath));
}

TEST(WriteAll, AShortWriteIsRetriedAndAFailureSaysWhy)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const QByteArray bytes(200000, 'x'); // more than a pipe holds at once
    std::thread reader([&] {
        QByteArray got;
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(ends[0], buffer, sizeof buffer)) > 0)
            got.append(buffer, n);
        EXPECT_EQ(got.size(), bytes.size());
    });
    EXPECT_TRUE(writeAll(ends[1], bytes));
    ::close(ends[1]);
    reader.join();
    ::close(ends[0]);
    EXPECT_FALSE(writeAll(-1, "x"));
    EXPECT_EQ(errno, EBADF);
}
