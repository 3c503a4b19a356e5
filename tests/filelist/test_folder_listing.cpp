#include "QtPrinters.h"
#include "TempTree.h"
#include "filelist/FolderListing.h"

#include <QDirIterator>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvanta;

namespace {

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// The names in the order the file system itself lists them.
QStringList rawOrder(const QString &folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    return names;
}

} // namespace

TEST(WildcardTest, MatchesAsWindowsDoesIgnoringCase)
{
    const QString pdf = QStringLiteral("*.pdf");
    EXPECT_TRUE(matchesWildcard(QStringLiteral("a.pdf"), pdf));
    EXPECT_TRUE(matchesWildcard(QStringLiteral("b.PDF"), pdf));
    EXPECT_TRUE(matchesWildcard(QStringLiteral(".pdf"), pdf));
    EXPECT_TRUE(matchesWildcard(QStringLiteral("x.pdf.pdf"), pdf));
    EXPECT_FALSE(matchesWildcard(QStringLiteral("a.pdfx"), pdf));
    EXPECT_FALSE(matchesWildcard(QStringLiteral("x.pdf.txt"), pdf));
    EXPECT_FALSE(matchesWildcard(QStringLiteral("pdf"), pdf));
    EXPECT_TRUE(
        matchesWildcard(QStringLiteral("\u00C9T\u00C9.Pdf"), QStringLiteral("\u00E9t\u00E9.*")));
}

TEST(WildcardTest, StarDotStarMatchesEveryNameAndQuestionMarkOneCharacter)
{
    const QString all = QStringLiteral("*.*");
    EXPECT_TRUE(matchesWildcard(QStringLiteral("README"), all));
    EXPECT_TRUE(matchesWildcard(QStringLiteral("a.b.c"), all));
    EXPECT_TRUE(matchesWildcard(QStringLiteral(".hidden"), all));
    EXPECT_TRUE(matchesWildcard(QStringLiteral("a"), QStringLiteral("a.*")));
    EXPECT_FALSE(matchesWildcard(QStringLiteral("b"), QStringLiteral("a.*")));
    EXPECT_TRUE(matchesWildcard(QStringLiteral("ab"), QStringLiteral("a?")));
    EXPECT_FALSE(matchesWildcard(QStringLiteral("a"), QStringLiteral("a?")));
    EXPECT_FALSE(matchesWildcard(QStringLiteral("abc"), QStringLiteral("a?")));
    EXPECT_TRUE(matchesWildcard(QStringLiteral("abcabd"), QStringLiteral("*abd")));
    EXPECT_TRUE(matchesWildcard(QStringLiteral("a-b-c.pdf"), QStringLiteral("*-*-*.pdf")));
}

TEST(ListFilesInFolderTest, ListsMatchingFilesHiddenIncludedButNoFolders)
{
    TempTree tree;
    tree.file(QStringLiteral("a.pdf"));
    tree.file(QStringLiteral("b.PDF"));
    tree.file(QStringLiteral("~$a.pdf"));
    tree.file(QStringLiteral(".h.pdf"));
    tree.file(QStringLiteral("notes.txt"));
    tree.folder(QStringLiteral("x.pdf"));
    tree.file(QStringLiteral("sub/inner.pdf"));
    tree.link(tree.at(QStringLiteral("a.pdf")), QStringLiteral("l.pdf"));
    tree.link(tree.at(QStringLiteral("gone")), QStringLiteral("dangling.pdf"));
    ::mkfifo(QFile::encodeName(tree.at(QStringLiteral("pipe.pdf"))).constData(), 0644);

    const QStringList expected{QStringLiteral(".h.pdf"), QStringLiteral("a.pdf"),
                               QStringLiteral("b.PDF"), QStringLiteral("l.pdf"),
                               QStringLiteral("~$a.pdf")};
    EXPECT_EQ(sorted(listFilesInFolder(tree.path(), QStringLiteral("*.pdf"))), expected);
    EXPECT_EQ(sorted(listFilesInFolder(tree.path() + QStringLiteral("/"), QStringLiteral("*.pdf"))),
              expected);
    EXPECT_EQ(sorted(listFilesInFolder(tree.path(), QStringLiteral("*.*"))),
              sorted(expected + QStringList{QStringLiteral("notes.txt")}));
}

TEST(ListFilesInFolderTest, KeepsTheFileSystemsOrder)
{
    TempTree tree;
    for (const char *name : {"m", "c", "x", "a", "q", "b", "z", "k", "e", "t"})
        tree.file(QLatin1String(name) + QStringLiteral(".pdf"));
    EXPECT_EQ(listFilesInFolder(tree.path(), QStringLiteral("*.pdf")), rawOrder(tree.path()));
}

TEST(ListFilesInFolderTest, AFolderThatCannotBeListedGivesNothing)
{
    TempTree tree;
    EXPECT_TRUE(
        listFilesInFolder(tree.at(QStringLiteral("missing")), QStringLiteral("*.*")).isEmpty());
    EXPECT_TRUE(
        listFilesInFolder(tree.file(QStringLiteral("a.pdf")), QStringLiteral("*.*")).isEmpty());
}

TEST(ListSubfoldersTest, ListsFoldersAndLinksToFoldersInTheFileSystemsOrder)
{
    TempTree tree;
    for (const char *name : {"m", "c", "x", "a", ".hidden"})
        tree.folder(QLatin1String(name));
    tree.link(tree.at(QStringLiteral("a")), QStringLiteral("toA"));
    tree.link(tree.at(QStringLiteral("gone")), QStringLiteral("dangling"));
    tree.file(QStringLiteral("file"));

    const SubfolderListing listing = listSubfolders(tree.path());
    EXPECT_EQ(listing.error, 0);
    QStringList expected = rawOrder(tree.path());
    expected.removeAll(QStringLiteral("dangling"));
    expected.removeAll(QStringLiteral("file"));
    EXPECT_EQ(listing.names, expected);
    EXPECT_EQ(listing.names.size(), 6);
}

TEST(ListSubfoldersTest, FailuresCarryTheirErrorNumber)
{
    TempTree tree;
    EXPECT_EQ(listSubfolders(tree.at(QStringLiteral("missing"))).error, ENOENT);
    EXPECT_EQ(listSubfolders(tree.file(QStringLiteral("file"))).error, ENOTDIR);
}

TEST(ListSubfoldersTest, AnUnreadableFolderIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root lists every folder whatever its permissions";
    TempTree tree;
    tree.folder(QStringLiteral("locked/inner"));
    ::chmod(QFile::encodeName(tree.at(QStringLiteral("locked"))).constData(), 0);
    const SubfolderListing listing = listSubfolders(tree.at(QStringLiteral("locked")));
    ::chmod(QFile::encodeName(tree.at(QStringLiteral("locked"))).constData(), 0755);
    EXPECT_EQ(listing.error, EACCES);
    EXPECT_TRUE(listing.names.isEmpty());
}
