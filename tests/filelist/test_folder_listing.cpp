#include "QtPrinters.h"
#include "TempTree.h"
#include "filelist/FolderListing.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvanta;

namespace {

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Makes an entry whose name is raw bytes (not necessarily UTF-8).
void makeRawFile(const QString &folder, const QByteArray &name)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    ::close(::open(path.constData(), O_CREAT | O_WRONLY, 0644));
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
    EXPECT_EQ(sorted(listFilesInFolder(tree.path(), QStringLiteral("*.pdf")).names), expected);
    EXPECT_EQ(
        sorted(listFilesInFolder(tree.path() + QStringLiteral("/"), QStringLiteral("*.pdf")).names),
        expected);
    EXPECT_EQ(sorted(listFilesInFolder(tree.path(), QStringLiteral("*.*")).names),
              sorted(expected + QStringList{QStringLiteral("notes.txt")}));
}

// A folder lists as a file manager shows it, whatever order the disk keeps.
TEST(ListFilesInFolderTest, ListsInNameOrderIgnoringCaseWithNumbersByValue)
{
    TempTree tree;
    for (const char *name : {"big-10.pdf", "big-2.pdf", "Big-1.pdf", "alpha.pdf", "big-02.pdf",
                             "Zeta.pdf", "big-1a.pdf"})
        tree.file(QLatin1String(name));
    EXPECT_EQ(listFilesInFolder(tree.path(), QStringLiteral("*.pdf")).names,
              (QStringList{"alpha.pdf", "Big-1.pdf", "big-1a.pdf", "big-02.pdf", "big-2.pdf",
                           "big-10.pdf", "Zeta.pdf"}));
    EXPECT_LT(compareNaturally(u"file9", u"file10"), 0);
    EXPECT_LT(compareNaturally(u"a", u"B"), 0);
    EXPECT_EQ(compareNaturally(u"same", u"same"), 0);
}

// Every valid UTF-8 name opens; a name that is not cannot be passed on, so it is counted.
TEST(ListFilesInFolderTest, NamesThatAreNotValidUtf8AreLeftOutAndCounted)
{
    TempTree tree;
    tree.file(QStringLiteral("\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442.pdf"));
    makeRawFile(tree.path(), "caf\xe9.pdf");
    tree.folder(QStringLiteral("\u6587\u6863"));
    ::mkdir((QFile::encodeName(tree.path()) + "/old\xe9").constData(), 0755);

    const FolderListing files = listFilesInFolder(tree.path(), QStringLiteral("*.pdf"));
    EXPECT_EQ(files.names,
              QStringList{QStringLiteral("\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442.pdf")});
    EXPECT_EQ(files.skippedNames, 1);
    const FolderListing folders = listSubfolders(tree.path());
    EXPECT_EQ(folders.names, QStringList{QStringLiteral("\u6587\u6863")});
    EXPECT_EQ(folders.skippedNames, 1);
}

TEST(ListFilesInFolderTest, AFolderThatCannotBeListedGivesNothing)
{
    TempTree tree;
    EXPECT_TRUE(listFilesInFolder(tree.at(QStringLiteral("missing")), QStringLiteral("*.*"))
                    .names.isEmpty());
    EXPECT_TRUE(listFilesInFolder(tree.file(QStringLiteral("a.pdf")), QStringLiteral("*.*"))
                    .names.isEmpty());
}

TEST(ListSubfoldersTest, ListsFoldersAndLinksToFoldersInNameOrder)
{
    TempTree tree;
    for (const char *name : {"m", "c", "x", "a", ".hidden"})
        tree.folder(QLatin1String(name));
    tree.link(tree.at(QStringLiteral("a")), QStringLiteral("toA"));
    tree.link(tree.at(QStringLiteral("gone")), QStringLiteral("dangling"));
    tree.file(QStringLiteral("file"));

    const FolderListing listing = listSubfolders(tree.path());
    EXPECT_EQ(listing.error, 0);
    EXPECT_EQ(listing.names, (QStringList{".hidden", "a", "c", "m", "toA", "x"}));
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
        GTEST_SKIP() << "root lists every folder whatever its permissions; ./test.sh runs this as "
                        "an unprivileged user";
    TempTree tree;
    tree.folder(QStringLiteral("locked/inner"));
    ::chmod(QFile::encodeName(tree.at(QStringLiteral("locked"))).constData(), 0);
    const FolderListing listing = listSubfolders(tree.at(QStringLiteral("locked")));
    ::chmod(QFile::encodeName(tree.at(QStringLiteral("locked"))).constData(), 0755);
    EXPECT_EQ(listing.error, EACCES);
    EXPECT_TRUE(listing.names.isEmpty());
}
