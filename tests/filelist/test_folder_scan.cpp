#include "QtPrinters.h"
#include "TempTree.h"
#include "filelist/FolderListing.h"
#include "filelist/FolderScan.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvanta;

namespace {

class FolderScanTest : public ::testing::Test {
protected:
    QStringList scan(const QString &folder)
    {
        return filesInFolderTree(folder, QLatin1String(kScanPattern), m_sink, m_control).rows;
    }
    QStringList scan() { return scan(m_tree.path()); }

    // The folder list of a walk from `folder`, each entry relative to the tree.
    QStringList walk(const QString &folder, bool recurse = true)
    {
        QStringList folders{folder + QLatin1Char('/')};
        collectSubfolders(folders, recurse, m_sink, m_control);
        for (QString &entry : folders)
            entry.remove(0, m_tree.path().size() + 1);
        return folders;
    }

    // Subfolders in name order, as paths relative to the tree.
    QStringList subfoldersOf(const QString &relative) const
    {
        QStringList paths;
        for (const QString &name : listSubfolders(m_tree.at(relative)).names)
            paths << relative + QLatin1Char('/') + name;
        return paths;
    }

    TempTree m_tree;
    RecordingSink m_sink;
    ScanControl m_control;
};

} // namespace

TEST_F(FolderScanTest, AddsMatchingFilesInNameOrderWithoutTildeNamesOrFolders)
{
    const QString a = m_tree.file(QStringLiteral("a.pdf"));
    m_tree.file(QStringLiteral("~$a.pdf"));
    const QString b = m_tree.file(QStringLiteral("b.PDF"));
    m_tree.file(QStringLiteral("notes.txt"));
    m_tree.folder(QStringLiteral("x.pdf"));

    QStringList expected;
    for (const QString &name : listFilesInFolder(m_tree.path(), QStringLiteral("*.pdf")).names) {
        if (!name.startsWith(QLatin1Char('~')))
            expected << m_tree.at(name);
    }
    ASSERT_EQ(expected.size(), 2);
    EXPECT_EQ(scan(), expected);
    EXPECT_TRUE(m_sink.reports.empty());
}

TEST_F(FolderScanTest, WalksBreadthFirstGroupedByParent)
{
    for (const char *file : {"A/a.pdf", "A/B/b.pdf", "A/C/c.pdf", "A/B/D/d.pdf", "A/C/E/e.pdf"})
        m_tree.file(QLatin1String(file));
    const QStringList second = subfoldersOf(QStringLiteral("A"));
    const QStringList third = subfoldersOf(second[0]) + subfoldersOf(second[1]);
    ASSERT_EQ(second.size(), 2);
    ASSERT_EQ(third.size(), 2);

    QStringList expected{QStringLiteral("A/")};
    for (const QString &folder : second + third)
        expected << folder + QLatin1Char('/');
    EXPECT_EQ(walk(m_tree.at(QStringLiteral("A"))), expected);
    EXPECT_EQ(walk(m_tree.at(QStringLiteral("A")), false), expected.mid(0, 3));

    QStringList files{m_tree.at(QStringLiteral("A/a.pdf"))};
    for (const QString &folder : second + third)
        files << m_tree.at(folder + QLatin1Char('/') + folder.back().toLower() +
                           QStringLiteral(".pdf"));
    EXPECT_EQ(scan(m_tree.at(QStringLiteral("A"))), files);
}

TEST_F(FolderScanTest, HiddenFilesAreSkippedOnlyWithAttributeValue34)
{
    m_tree.file(QStringLiteral(".hidden.pdf"));
    const QString hiddenReadOnly = m_tree.file(QStringLiteral(".ro.pdf"));
    ::chmod(QFile::encodeName(hiddenReadOnly).constData(), 0444);
    const QString hiddenLink =
        m_tree.link(m_tree.file(QStringLiteral("sub/a.pdf")), QStringLiteral(".link.pdf"));

    QStringList found = scan();
    found.sort();
    EXPECT_EQ(found,
              (QStringList{hiddenLink, hiddenReadOnly, m_tree.at(QStringLiteral("sub/a.pdf"))}));
}

TEST_F(FolderScanTest, DotFoldersBelowTheStartAreLeftOutWithEverythingBelowThem)
{
    m_tree.file(QStringLiteral(".cache/x.pdf"));
    m_tree.file(QStringLiteral(".cache/deep/y.pdf"));
    TempTree outside;
    outside.file(QStringLiteral("o.pdf"));
    m_tree.link(outside.path(), QStringLiteral(".hiddenlink"));
    m_tree.link(outside.path(), QStringLiteral("link"));

    EXPECT_EQ(scan(), QStringList{m_tree.at(QStringLiteral("link/o.pdf"))});
}

TEST_F(FolderScanTest, AChosenDotFolderHasItsFilesListedButIsNotWalked)
{
    const QString own = m_tree.file(QStringLiteral(".config/own.pdf"));
    m_tree.file(QStringLiteral(".config/sub/below.pdf"));
    EXPECT_EQ(scan(m_tree.at(QStringLiteral(".config"))), QStringList{own});
}

TEST_F(FolderScanTest, AReadOnlyDotFolderIsWalkedBecauseItsValueIsNot22)
{
    const QString inside = m_tree.file(QStringLiteral(".ro/x.pdf"));
    ::chmod(QFile::encodeName(m_tree.at(QStringLiteral(".ro"))).constData(), 0555);
    EXPECT_EQ(scan(), QStringList{inside});
}

// Every valid UTF-8 name opens here, whatever its script; only names that are not valid UTF-8
// are left out, and the scan says how many.
TEST_F(FolderScanTest, FoldersInAnyScriptAreWalkedAndOnlyInvalidNamesAreLeftOut)
{
    QStringList expected;
    for (const QString &folder :
         {QStringLiteral("a\u2013b"), QStringLiteral("what?"), QStringLiteral("\u6587\u6863"),
          QStringLiteral("\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442\u044B"),
          QStringLiteral("Caf\u00E9")})
        expected << m_tree.file(folder + QStringLiteral("/x.pdf"));
    const QByteArray invalid = QFile::encodeName(m_tree.path()) + "/old\xe9";
    ::mkdir(invalid.constData(), 0755);
    ::close(::open((invalid + "/x.pdf").constData(), O_CREAT | O_WRONLY, 0644));

    const ScanResult found = filesInFolderTree(m_tree.path(), QLatin1String(kScanPattern), m_sink);
    QStringList rows = found.rows;
    rows.sort();
    expected.sort();
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(found.skippedNames, 1);
    EXPECT_EQ(skippedNamesText(1),
              QStringLiteral("1 name was left out because it is not valid UTF-8; rename it to "
                             "add it."));
}

TEST_F(FolderScanTest, AFolderPathOf260CharactersIsListedButNotWalked)
{
    // Entries end in "/": the first is 259 characters long, the second 260.
    const qsizetype room = 259 - m_tree.path().size() - 2;
    ASSERT_GT(room, 10);
    ASSERT_LT(room, 255);
    const QString walked = QString(room, QLatin1Char('w'));
    const QString notWalked = QString(room + 1, QLatin1Char('n'));
    const QString walkedOwn = m_tree.file(walked + QStringLiteral("/own.pdf"));
    const QString walkedInner = m_tree.file(walked + QStringLiteral("/s/inner.pdf"));
    const QString notWalkedOwn = m_tree.file(notWalked + QStringLiteral("/own.pdf"));
    m_tree.file(notWalked + QStringLiteral("/s/inner.pdf"));
    ASSERT_EQ(m_tree.at(walked).size() + 1, 259);

    QStringList found = scan();
    found.sort();
    QStringList expected{walkedOwn, walkedInner, notWalkedOwn};
    expected.sort();
    EXPECT_EQ(found, expected);
}

TEST_F(FolderScanTest, AnUnreadableFolderIsDroppedQuietly)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root lists every folder whatever its permissions; ./test.sh runs this as "
                        "an unprivileged user";
    const QString kept = m_tree.file(QStringLiteral("open/a.pdf"));
    m_tree.file(QStringLiteral("locked/b.pdf"));
    m_tree.file(QStringLiteral("locked/sub/c.pdf"));
    const QByteArray locked = QFile::encodeName(m_tree.at(QStringLiteral("locked")));
    ::chmod(locked.constData(), 0);
    const QStringList below = scan();
    const QStringList chosen = scan(m_tree.at(QStringLiteral("locked")));
    ::chmod(locked.constData(), 0755);

    EXPECT_EQ(below, QStringList{kept});
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_TRUE(m_sink.reports.empty());
}

TEST_F(FolderScanTest, AFolderThatVanishesMidWalkIsReportedAndLeftOut)
{
    const QString kept = m_tree.file(QStringLiteral("stays/a.pdf"));
    m_tree.file(QStringLiteral("goes/b.pdf"));
    const QString goes = m_tree.at(QStringLiteral("goes/"));
    m_control.progress = [&](const QString &folder) {
        if (folder == goes)
            QDir(goes).removeRecursively();
    };

    EXPECT_EQ(scan(), QStringList{kept});
    ASSERT_EQ(m_sink.reports.size(), 1u);
    EXPECT_EQ(m_sink.reports[0].description, QStringLiteral("Path not found"));
    EXPECT_EQ(m_sink.reports[0].locationTag,
              QStringLiteral("in CorvelTitle2021/08/31.AddFolder.GetSubDirectories2016 "));
}

TEST_F(FolderScanTest, ALinkBackUpTheTreeIsNotFollowed)
{
    const QString top = m_tree.file(QStringLiteral("top.pdf"));
    const QString a = m_tree.file(QStringLiteral("A/a.pdf"));
    m_tree.link(m_tree.path(), QStringLiteral("A/up"));
    EXPECT_EQ(scan(), (QStringList{top, a}));
    EXPECT_EQ(walk(m_tree.path()), (QStringList{QString(), QStringLiteral("A/")}));
}

// A link from the chosen folder to one above it: what lies above is walked once, the chosen
// folder is not walked again below it, and the walk ends.
TEST_F(FolderScanTest, ALinkToAFolderAboveTheStartIsWalkedOnce)
{
    const QString a = m_tree.file(QStringLiteral("A/a.pdf"));
    m_tree.file(QStringLiteral("B/b.pdf"));
    m_tree.link(m_tree.path(), QStringLiteral("A/up"));
    EXPECT_EQ(scan(m_tree.at(QStringLiteral("A"))),
              (QStringList{a, m_tree.at(QStringLiteral("A/up/B/b.pdf"))}));
}

TEST_F(FolderScanTest, LinksThatFormLoopsAreWalkedOnce)
{
    const QString top = m_tree.file(QStringLiteral("top.pdf"));
    const QString a = m_tree.file(QStringLiteral("A/a.pdf"));
    const QString b = m_tree.file(QStringLiteral("B/b.pdf"));
    m_tree.link(m_tree.path(), QStringLiteral("A/up"));
    m_tree.link(m_tree.at(QStringLiteral("B")), QStringLiteral("A/toB"));
    m_tree.link(m_tree.at(QStringLiteral("A")), QStringLiteral("B/toA"));

    QStringList expected{top};
    for (const QString &name : listSubfolders(m_tree.path()).names)
        expected << m_tree.at(name + QLatin1Char('/') + name.toLower() + QStringLiteral(".pdf"));
    EXPECT_EQ(scan(), expected);
    EXPECT_EQ(expected.size(), 3);
    EXPECT_TRUE(expected.contains(a) && expected.contains(b));
}

TEST_F(FolderScanTest, AStartEndingInASlashGivesSingleSlashes)
{
    const QString a = m_tree.file(QStringLiteral("sub/a.pdf"));
    EXPECT_EQ(scan(m_tree.path() + QStringLiteral("/")), QStringList{a});
}

TEST_F(FolderScanTest, MissingOrEmptyFoldersGiveNothing)
{
    m_tree.file(QStringLiteral("a.pdf"));
    EXPECT_TRUE(scan(m_tree.at(QStringLiteral("gone"))).isEmpty());
    EXPECT_TRUE(scan(QString()).isEmpty());
    EXPECT_TRUE(scan(m_tree.at(QStringLiteral("a.pdf"))).isEmpty());
}

TEST_F(FolderScanTest, AStopRequestEndsTheScan)
{
    m_tree.file(QStringLiteral("a.pdf"));
    m_tree.file(QStringLiteral("sub/b.pdf"));
    std::stop_source stop;
    m_control.stop = stop.get_token();
    QStringList seen;
    m_control.progress = [&](const QString &folder) {
        seen << folder;
        stop.request_stop();
    };

    EXPECT_TRUE(scan().isEmpty());
    EXPECT_EQ(seen, QStringList{m_tree.path() + QLatin1Char('/')});
}
