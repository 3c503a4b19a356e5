#include "QtPrinters.h"
#include "TempTree.h"
#include "filelist/FileAttributes.h"
#include "filelist/OddCharacters.h"

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
        GTEST_SKIP() << "root opens every file whatever its permissions";
    TempTree tree;
    const QString file = tree.file(QStringLiteral("locked.pdf"));
    ::chmod(QFile::encodeName(file).constData(), 0);
    EXPECT_FALSE(isExistingFile(file));
}

TEST(OddCharactersTest, CodesFollowWindows1252)
{
    EXPECT_EQ(windows1252Code(U'A'), 65);
    EXPECT_EQ(windows1252Code(U'\u00A0'), 160);
    EXPECT_EQ(windows1252Code(U'\u00E9'), 233);
    EXPECT_EQ(windows1252Code(U'\u00FF'), 255);
    EXPECT_EQ(windows1252Code(U'\u20AC'), 128); // euro sign
    EXPECT_EQ(windows1252Code(U'\u2013'), 150); // en dash
    EXPECT_EQ(windows1252Code(U'\u2014'), 151); // em dash
    EXPECT_EQ(windows1252Code(U'\u0178'), 159); // Y with diaeresis
    EXPECT_EQ(windows1252Code(U'\u0081'), 129); // undefined in the page, kept as is
    EXPECT_EQ(windows1252Code(U'\u0080'), 63);
    EXPECT_EQ(windows1252Code(U'\u0101'), 63); // a with macron: not in the page
    EXPECT_EQ(windows1252Code(U'\u6587'), 63);
    EXPECT_EQ(windows1252Code(U'\U0001F600'), 63);
}

TEST(OddCharactersTest, RefusesControlsQuestionMarksHighPunctuationAndForeignCharacters)
{
    EXPECT_FALSE(hasOddCharacters(QString()));
    EXPECT_FALSE(hasOddCharacters(QStringLiteral("Report 2021 (final) ~draft")));
    EXPECT_FALSE(hasOddCharacters(QStringLiteral("Caf\u00E9 na\u00EFve \u00A1\u00FF\u00A0")));

    EXPECT_TRUE(hasOddCharacters(QStringLiteral("a\u2013b")));
    EXPECT_TRUE(hasOddCharacters(QStringLiteral("price \u20AC")));
    EXPECT_TRUE(hasOddCharacters(QStringLiteral("\u201Cquoted\u201D")));
    EXPECT_TRUE(hasOddCharacters(QStringLiteral("what?")));
    EXPECT_TRUE(hasOddCharacters(QStringLiteral("tab\there")));
    EXPECT_TRUE(hasOddCharacters(QStringLiteral("del\u007F")));
    EXPECT_TRUE(hasOddCharacters(QStringLiteral("\u0178")));
    EXPECT_TRUE(hasOddCharacters(QStringLiteral("\u6587\u6863")));
    EXPECT_TRUE(hasOddCharacters(QStringLiteral("smile \U0001F600")));
}
