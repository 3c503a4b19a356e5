#include "phrases/SpillFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <numeric>
#include <unistd.h>

using namespace orvanta;
using namespace orvanta::detail;

namespace {

class SpillFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        Directory parent(Descriptor(::open(QFile::encodeName(m_parent.path()).constData(),
                                           O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
                         m_parent.path());
        Result<std::unique_ptr<SpillFolder>> folder = SpillFolder::create(parent);
        ASSERT_TRUE(folder.ok()) << folder.error().toStdString();
        m_folder = std::move(folder).value();
    }

    std::unique_ptr<SpillFile> newFile(std::size_t bufferBytes)
    {
        Result<Descriptor> fd = m_folder->newFile();
        EXPECT_TRUE(fd.ok());
        return std::make_unique<SpillFile>(std::move(fd).value(), *m_folder, bufferBytes);
    }

    QTemporaryDir m_parent;
    std::unique_ptr<SpillFolder> m_folder;
};

} // namespace

// Pieces smaller than the buffers, across their ends, and bigger than both.
TEST_F(SpillFileTest, ReadsBackWhatWasWrittenInPiecesOfAnySize)
{
    struct Case {
        std::size_t writeBuffer;
        std::size_t readBuffer;
        std::size_t piece;
    };
    for (const Case &c : {Case{64, 64, 7}, Case{64, 100, 64}, Case{100, 64, 300}, Case{4096, 64, 1},
                          Case{64, 4096, 1000}}) {
        std::unique_ptr<SpillFile> file = newFile(c.writeBuffer);
        std::vector<char> bytes(5000);
        std::iota(bytes.begin(), bytes.end(), char(0));
        for (std::size_t at = 0; at < bytes.size(); at += c.piece)
            file->append(bytes.data() + at, std::min(c.piece, bytes.size() - at));
        EXPECT_EQ(file->size(), bytes.size());
        ASSERT_TRUE(file->finishWriting().ok());

        SpillReader reader(*file, c.readBuffer);
        std::vector<char> read;
        while (read.size() < bytes.size()) {
            const std::size_t size = std::min(c.piece, bytes.size() - read.size());
            const char *piece = reader.take(size);
            ASSERT_NE(piece, nullptr) << "at " << read.size();
            read.insert(read.end(), piece, piece + size);
        }
        EXPECT_EQ(read, bytes) << c.writeBuffer << ' ' << c.readBuffer << ' ' << c.piece;
        EXPECT_EQ(reader.take(1), nullptr);
        EXPECT_TRUE(reader.status().ok());
    }
}

// What a killed count leaves (its folder and a lock nobody holds) goes when the next count in the
// same folder begins; the next count's own folder holds nothing but its lock, and goes with it.
TEST_F(SpillFileTest, FilesHaveNoNameAndFoldersOfKilledCountsAreRemoved)
{
    const QString gone = m_parent.filePath(QStringLiteral("orvanta-spill-1-gone"));
    ASSERT_TRUE(QDir().mkpath(gone));
    QFile(gone + QStringLiteral("/lock")).open(QIODevice::WriteOnly);
    const QString users = m_parent.filePath(QStringLiteral("spill-of-the-user"));
    ASSERT_TRUE(QDir().mkpath(users));
    QFile(users + QStringLiteral("/lock")).open(QIODevice::WriteOnly);

    Directory parent(Descriptor(::open(QFile::encodeName(m_parent.path()).constData(),
                                       O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
                     m_parent.path());
    Result<std::unique_ptr<SpillFolder>> next = SpillFolder::create(parent);
    ASSERT_TRUE(next.ok());
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_TRUE(QFileInfo::exists(users));

    std::unique_ptr<SpillFile> file = newFile(64);
    file->append("kept while open", 15);
    ASSERT_TRUE(file->finishWriting().ok());
    EXPECT_EQ(QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("lock")});
    const QString path = m_folder->path();
    file.reset();
    m_folder.reset();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(QFileInfo::exists((*next)->path()));
}

// A file that lost its end after it was written is a failed read, not a shorter result.
TEST_F(SpillFileTest, AFileShorterThanWrittenFailsTheRead)
{
    std::unique_ptr<SpillFile> file = newFile(64);
    const std::vector<char> bytes(1000, 'x');
    file->append(bytes.data(), bytes.size());
    ASSERT_TRUE(file->finishWriting().ok());
    ASSERT_EQ(::ftruncate(file->fd(), 600), 0);
    SpillReader reader(*file, 256);
    while (reader.take(100)) {
    }
    ASSERT_FALSE(reader.status().ok());
    EXPECT_TRUE(reader.status().error().startsWith(
        QStringLiteral("Cannot read back from the spill folder ") + m_folder->path()));
}
