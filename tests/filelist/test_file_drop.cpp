#include "QtPrinters.h"
#include "TempTree.h"
#include "filelist/FileDrop.h"
#include "filelist/FolderListing.h"

#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

QMimeData *withUrls(const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// The files of a folder that a drop keeps, as full paths in name order.
QStringList keptFiles(const QString &folder)
{
    QStringList paths;
    for (const QString &name : listFilesInFolder(folder, QStringLiteral("*.*")).names) {
        if (!name.startsWith(QLatin1Char('~')))
            paths << folder + QLatin1Char('/') + name;
    }
    return paths;
}

class FileDropTest : public ::testing::Test {
protected:
    QStringList drop(const QStringList &paths) { return rowsForDrop(paths, m_sink).rows; }

    TempTree m_tree;
    RecordingSink m_sink;
};

} // namespace

TEST_F(FileDropTest, FileUrlsAreTheDroppedPathsInTheirOrder)
{
    const QString file = m_tree.file(QStringLiteral("b.pdf"));
    const QString folder = m_tree.folder(QStringLiteral("A"));
    const QString unicode = m_tree.file(QStringLiteral("J\u00FCrgen \u2013 100%.pdf"));
    std::unique_ptr<QMimeData> data(withUrls({folder, file, unicode}));
    EXPECT_EQ(droppedPaths(*data), (QStringList{folder, file, unicode}));

    data->setUrls({QUrl(QStringLiteral("https://example.com/x.pdf")), QUrl::fromLocalFile(file)});
    EXPECT_EQ(droppedPaths(*data), QStringList{file});
}

TEST_F(FileDropTest, DataWithoutFileUrlsIsNoFileList)
{
    QMimeData text;
    text.setText(QStringLiteral("/tmp/a.pdf"));
    EXPECT_TRUE(droppedPaths(text).isEmpty());

    QMimeData image;
    image.setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
    EXPECT_TRUE(droppedPaths(image).isEmpty());

    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.com/a.pdf"))});
    EXPECT_TRUE(droppedPaths(web).isEmpty());
}

TEST_F(FileDropTest, DroppedFilesAreAddedAsDroppedWithoutAnyTest)
{
    const QStringList dropped{
        m_tree.file(QStringLiteral("~$draft.pdf")), m_tree.file(QStringLiteral("notes.txt")),
        m_tree.file(QStringLiteral(".hidden.pdf")), m_tree.at(QStringLiteral("missing.pdf")),
        m_tree.path() + QStringLiteral("//b.pdf")};
    EXPECT_EQ(drop(dropped + dropped), dropped + dropped);
}

TEST_F(FileDropTest, ADroppedFolderAddsEveryKeptFileOfItsTree)
{
    m_tree.file(QStringLiteral("A/a.pdf"));
    m_tree.file(QStringLiteral("A/b.docx"));
    m_tree.file(QStringLiteral("A/README"));
    m_tree.file(QStringLiteral("A/~$draft.pdf"));
    m_tree.file(QStringLiteral("A/.hidden.txt"));
    m_tree.file(QStringLiteral("A/sub/c.odt"));
    m_tree.file(QStringLiteral("A/.git/config"));
    const QString folder = m_tree.at(QStringLiteral("A"));

    QStringList expected = keptFiles(folder);
    expected.removeAll(folder + QStringLiteral("/.hidden.txt"));
    ASSERT_EQ(expected.size(), 3);
    expected << folder + QStringLiteral("/sub/c.odt");
    EXPECT_EQ(drop({folder}), expected);
    EXPECT_TRUE(m_sink.reports.empty());
}

TEST_F(FileDropTest, ItemsKeepTheirOrderWithEachFolderInPlaceOfItsFiles)
{
    const QString a = m_tree.file(QStringLiteral("A/a.pdf"));
    const QString b = m_tree.file(QStringLiteral("B/b.pdf"));
    const QString single = m_tree.file(QStringLiteral("single.pdf"));
    const QString linkToA = m_tree.link(m_tree.at(QStringLiteral("A")), QStringLiteral("linkToA"));

    EXPECT_EQ(drop({m_tree.at(QStringLiteral("B")), single, m_tree.at(QStringLiteral("A"))}),
              (QStringList{b, single, a}));
    EXPECT_EQ(drop({linkToA}), QStringList{linkToA + QStringLiteral("/a.pdf")});
    EXPECT_EQ(drop({m_tree.at(QStringLiteral("A")), m_tree.at(QStringLiteral("A"))}),
              (QStringList{a, a}));
}

// Paths handed over on the command line: a folder adds the PDFs of its tree, as a folder scan
// does (not every file, as a drop does); a file is added as named, whatever its kind.
TEST_F(FileDropTest, AnOpenedFolderAddsThePdfsOfItsTreeInPlace)
{
    const QString a = m_tree.file(QStringLiteral("A/a.pdf"));
    m_tree.file(QStringLiteral("A/notes.txt"));
    const QString c = m_tree.file(QStringLiteral("A/sub/c.PDF"));
    const QString named = m_tree.file(QStringLiteral("named.txt"));
    EXPECT_EQ(rowsForOpening({named, m_tree.at(QStringLiteral("A"))}, m_sink).rows,
              (QStringList{named, a, c}));
    EXPECT_TRUE(m_sink.reports.empty());
}
