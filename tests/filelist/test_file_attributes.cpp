#include "QtPrinters.h"
#include "TempTree.h"
#include "filelist/FileAttributes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvanta;

namespace {

void makeReadOnly(const QString &path)
{
    ::chmod(QFile::encodeName(path).constData(), 0555);
}

QString fifo(const TempTree &tree, const QString &relative)
{
    const QString path = tree.at(relative);
    ::mkfifo(QFile::encodeName(path).constData(), 0644);
    return path;
}

} // namespace

TEST(FileAttributesTest, FilesCarryArchiveHiddenAndReadOnlyAsAWindowsDriveWould)
{
    TempTree tree;
    const QString readOnly = tree.file(QStringLiteral("ro.pdf"));
    const QString hiddenReadOnly = tree.file(QStringLiteral(".ro.pdf"));
    makeReadOnly(readOnly);
    makeReadOnly(hiddenReadOnly);

    EXPECT_EQ(fileAttributes(tree.file(QStringLiteral("a.pdf"))), 32);
    EXPECT_EQ(fileAttributes(tree.file(QStringLiteral(".hidden.pdf"))), 34);
    EXPECT_EQ(fileAttributes(readOnly), 33);
    EXPECT_EQ(fileAttributes(hiddenReadOnly), 35);
    EXPECT_EQ(fileAttributes(fifo(tree, QStringLiteral("pipe"))), 0);
    EXPECT_EQ(fileAttributes(fifo(tree, QStringLiteral(".pipe"))), 2);
}

TEST(FileAttributesTest, DotFoldersAreHiddenSystemFolders)
{
    TempTree tree;
    const QString readOnlyDotFolder = tree.folder(QStringLiteral(".ro"));
    makeReadOnly(readOnlyDotFolder);

    EXPECT_EQ(fileAttributes(tree.folder(QStringLiteral("A"))), 16);
    EXPECT_EQ(fileAttributes(tree.folder(QStringLiteral(".cache"))), 22);
    EXPECT_EQ(fileAttributes(readOnlyDotFolder), 23);
    EXPECT_EQ(fileAttributes(tree.at(QStringLiteral(".cache/"))), 22);
    EXPECT_EQ(fileAttributes(tree.folder(QStringLiteral("A/.x.pdf"))), 22);
}

TEST(FileAttributesTest, LinksAddReparsePointToWhatTheyPointTo)
{
    TempTree tree;
    const QString folder = tree.folder(QStringLiteral("A"));
    const QString file = tree.file(QStringLiteral("a.pdf"));

    EXPECT_EQ(fileAttributes(tree.link(folder, QStringLiteral("toA"))), 1040);
    EXPECT_EQ(fileAttributes(tree.link(folder, QStringLiteral(".toA"))), 1046);
    EXPECT_EQ(fileAttributes(tree.at(QStringLiteral(".toA/"))), 1046);
    EXPECT_EQ(fileAttributes(tree.link(file, QStringLiteral("toa.pdf"))), 1056);
    EXPECT_EQ(fileAttributes(tree.link(file, QStringLiteral(".toa.pdf"))), 1058);
    EXPECT_EQ(
        fileAttributes(tree.link(tree.at(QStringLiteral("gone")), QStringLiteral("dangling"))),
        1024);
}

TEST(FileAttributesTest, PathsThatCannotBeExaminedHaveNoAttributes)
{
    TempTree tree;
    EXPECT_EQ(fileAttributes(tree.at(QStringLiteral("missing.pdf"))), kNoAttributes);
    EXPECT_EQ(fileAttributes(QString()), kNoAttributes);
    EXPECT_EQ(fileAttributes(tree.file(QStringLiteral("a.pdf")) + QStringLiteral("/x")),
              kNoAttributes);
}

TEST(FileAttributesTest, IsFolderFollowsLinksAndIgnoresTrailingSlashes)
{
    TempTree tree;
    const QString folder = tree.folder(QStringLiteral("A"));
    EXPECT_TRUE(isFolder(folder));
    EXPECT_TRUE(isFolder(folder + QStringLiteral("/")));
    EXPECT_TRUE(isFolder(tree.link(folder, QStringLiteral("toA"))));
    EXPECT_FALSE(isFolder(tree.file(QStringLiteral("a.pdf"))));
    EXPECT_FALSE(isFolder(tree.at(QStringLiteral("missing"))));
    EXPECT_FALSE(isFolder(tree.link(tree.at(QStringLiteral("gone")), QStringLiteral("dangling"))));
    EXPECT_FALSE(isFolder(QString()));
}

TEST(FileAttributesTest, IsExistingFileOnlyForRegularFilesThatOpen)
{
    TempTree tree;
    const QString file = tree.file(QStringLiteral("a.pdf"));
    EXPECT_TRUE(isExistingFile(file));
    EXPECT_TRUE(isExistingFile(tree.link(file, QStringLiteral("toa.pdf"))));
    EXPECT_FALSE(isExistingFile(tree.folder(QStringLiteral("x.pdf"))));
    EXPECT_FALSE(isExistingFile(tree.at(QStringLiteral("missing.pdf"))));
    EXPECT_FALSE(isExistingFile(file + QStringLiteral("/")));
    EXPECT_FALSE(isExistingFile(QString()));
    // A pipe with no writer would block a plain open.
    EXPECT_FALSE(isExistingFile(fifo(tree, QStringLiteral("pipe.pdf"))));
}

TEST(FileAttributesTest, UnreadableFilesDoNotOpen)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens every file whatever its permissions; ./test.sh runs this as an "
                        "unprivileged user";
    TempTree tree;
    const QString file = tree.file(QStringLiteral("locked.pdf"));
    ::chmod(QFile::encodeName(file).constData(), 0);
    EXPECT_FALSE(isExistingFile(file));
}
