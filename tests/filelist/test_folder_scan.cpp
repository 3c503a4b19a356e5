#include "QtPrinters.h"
#include "filelist/FolderScan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

class FolderScanTest : public ::testing::Test {
protected:
    QString touch(const QString &relative)
    {
        const QString path = m_root.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }

    QStringList scan() { return filesInFolderTree(m_root.path(), QStringLiteral("*.pdf")); }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(FolderScanTest, MatchesCaseInsensitivelyAndSkipsTildeNames)
{
    const QString a = touch(QStringLiteral("a.pdf"));
    const QString b = touch(QStringLiteral("b.PDF"));
    touch(QStringLiteral("~$a.pdf"));
    touch(QStringLiteral("notes.txt"));
    QDir(m_root.path()).mkdir(QStringLiteral("x.pdf"));
    QStringList found = scan();
    found.sort();
    EXPECT_EQ(found, (QStringList{a, b}));
}

TEST_F(FolderScanTest, WalksLevelByLevel)
{
    const QString top = touch(QStringLiteral("top.pdf"));
    const QString inB = touch(QStringLiteral("B/b.pdf"));
    const QString inC = touch(QStringLiteral("C/c.pdf"));
    const QString inD = touch(QStringLiteral("B/D/d.pdf"));
    const QStringList found = scan();
    ASSERT_EQ(found.size(), 4);
    EXPECT_EQ(found.first(), top);
    EXPECT_EQ(found.last(), inD);
    EXPECT_TRUE(found.mid(1, 2).contains(inB));
    EXPECT_TRUE(found.mid(1, 2).contains(inC));
}

TEST_F(FolderScanTest, HiddenFoldersBelowTheStartAreLeftOutButHiddenFilesAreNot)
{
    touch(QStringLiteral(".cache/skip.pdf"));
    const QString hidden = touch(QStringLiteral(".hidden.pdf"));
    EXPECT_EQ(scan(), QStringList{hidden});
}

TEST_F(FolderScanTest, ALinkBackUpTheTreeIsWalkedOnce)
{
    const QString a = touch(QStringLiteral("sub/a.pdf"));
    ASSERT_TRUE(QFile::link(m_root.path(), m_root.filePath(QStringLiteral("sub/loop"))));
    EXPECT_EQ(scan(), QStringList{a});
}

TEST_F(FolderScanTest, AMissingFolderGivesNothing)
{
    EXPECT_TRUE(filesInFolderTree(m_root.filePath(QStringLiteral("gone")), QStringLiteral("*.pdf"))
                    .isEmpty());
}
