#include "QtPrinters.h"
#include "extract/ConverterDeployment.h"

#include "base/PrivateTempFolder.h"
#include "extract/ProcessRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <latch>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orvanta;

namespace {

const QByteArray kFakeConverter = "#!/bin/sh\necho fake converter\n";
const QString kNotInstalled = QStringLiteral(
    "The PDF converter pdftotext is not installed. Install the package poppler-utils (sudo "
    "apt-get install poppler-utils).");

mode_t modeOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

void setMode(const QString &path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Every test gets its own TMPDIR, so the private folder lives inside a QTemporaryDir.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_oldTmpDir = qgetenv("TMPDIR");
        m_oldPath = qgetenv("PATH");
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
    }

    void TearDown() override
    {
        qputenv("TMPDIR", m_oldTmpDir);
        qputenv("PATH", m_oldPath);
    }

    QString writeFile(const QString &name, const QByteArray &bytes, mode_t mode = 0755)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        setMode(path, mode);
        return path;
    }

    QStringList folderEntries() const
    {
        return QDir(privateTempFolderPath())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

    QTemporaryDir m_dir;
    QByteArray m_oldTmpDir;
    QByteArray m_oldPath;
};

using PrivateTempFolderTest = TempFolderTest;

class ConverterDeploymentTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        m_fakeInstalled = writeFile(QStringLiteral("installed-pdftotext"), kFakeConverter);
    }

    ConverterLookup fakeLookup() const
    {
        return [path = m_fakeInstalled](ConverterBuild) { return path; };
    }

    QString m_fakeInstalled;
};

} // namespace

// The private folder

TEST_F(PrivateTempFolderTest, LivesInTmpDirOrTmpAndIsNamedAfterTheUser)
{
    const QString name = QStringLiteral("/orvanta-") + QString::number(getuid());
    EXPECT_EQ(privateTempFolderPath(), m_dir.path() + name);
    EXPECT_EQ(converterPath(), m_dir.path() + name + QStringLiteral("/pdftotext"));

    qputenv("TMPDIR", QByteArray());
    EXPECT_EQ(privateTempFolderPath(), QStringLiteral("/tmp") + name);
    qunsetenv("TMPDIR");
    EXPECT_EQ(privateTempFolderPath(), QStringLiteral("/tmp") + name);
}

TEST_F(PrivateTempFolderTest, IsCreatedWithMode0700AndThenReused)
{
    const PathResult created = ensurePrivateTempFolder();
    ASSERT_TRUE(created.ok()) << created.error.toStdString();
    EXPECT_EQ(created.path, privateTempFolderPath());
    EXPECT_TRUE(QFileInfo(created.path).isDir());
    EXPECT_EQ(modeOf(created.path), 0700u);

    writeFile(QStringLiteral("orvanta-%1/kept").arg(getuid()), "x");
    const PathResult again = ensurePrivateTempFolder();
    ASSERT_TRUE(again.ok()) << again.error.toStdString();
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("kept")});
}

TEST_F(PrivateTempFolderTest, FoldersOthersCouldWriteOrRedirectAreRefused)
{
    const QString folder = privateTempFolderPath();
    ASSERT_TRUE(QDir().mkdir(folder));

    for (const mode_t mode : {0777, 0720, 0702}) {
        setMode(folder, mode);
        const PathResult result = ensurePrivateTempFolder();
        EXPECT_FALSE(result.ok()) << std::oct << mode;
        EXPECT_EQ(result.error, QStringLiteral("The temporary folder %1 is not private (owned by "
                                               "another user or writable by others). Remove it "
                                               "and start again.")
                                    .arg(folder));
        EXPECT_EQ(modeOf(folder), mode) << "the folder is reported, not repaired";
    }

    setMode(folder, 0755);
    EXPECT_TRUE(ensurePrivateTempFolder().ok()) << "readable by others is not a risk";
}

TEST_F(PrivateTempFolderTest, ASymbolicLinkOrAFileIsRefused)
{
    const QString folder = privateTempFolderPath();
    const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkdir(elsewhere));
    setMode(elsewhere, 0700);
    ASSERT_TRUE(QFile::link(elsewhere, folder));

    const PathResult linked = ensurePrivateTempFolder();
    EXPECT_FALSE(linked.ok());
    EXPECT_TRUE(linked.error.contains(folder)) << linked.error.toStdString();

    ASSERT_TRUE(QFile::remove(folder));
    writeFile(QFileInfo(folder).fileName(), "not a folder", 0600);
    const PathResult file = ensurePrivateTempFolder();
    EXPECT_FALSE(file.ok());
    EXPECT_TRUE(file.error.contains(folder)) << file.error.toStdString();
}

TEST_F(PrivateTempFolderTest, AFolderOwnedByAnotherUserIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can hand a folder to another user";
    const QString folder = privateTempFolderPath();
    ASSERT_TRUE(QDir().mkdir(folder));
    setMode(folder, 0700);
    ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);

    const PathResult result = ensurePrivateTempFolder();
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QStringLiteral("is not private")));
}

TEST(ConverterChoice, Exactly64PicksThe64BitBuild)
{
    EXPECT_EQ(chooseConverterBuild(QStringLiteral("64")), ConverterBuild::Bits64);
    for (const char *width : {"32", "", " 64", "64 ", "x64", "128", "6"})
        EXPECT_EQ(chooseConverterBuild(QString::fromLatin1(width)), ConverterBuild::Bits32)
            << width;
}

TEST(ConverterChoice, AddressWidthIs64OnA64BitBuild)
{
    const QString width = processorAddressWidth();
    if (QSysInfo::WordSize == 64) {
        EXPECT_EQ(width, QStringLiteral("64"));
    } else {
        EXPECT_TRUE(width == QStringLiteral("64") || width == QStringLiteral("32"));
    }
}

TEST_F(ConverterDeploymentTest, TheInstalledConverterIsFoundOnPath)
{
    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkdir(bin));
    writeFile(QStringLiteral("bin/pdftotext"), kFakeConverter);

    qputenv("PATH", QFile::encodeName(bin));
    EXPECT_EQ(findInstalledConverter(ConverterBuild::Bits64), bin + QStringLiteral("/pdftotext"));
    EXPECT_EQ(findInstalledConverter(ConverterBuild::Bits32), bin + QStringLiteral("/pdftotext"));

    qputenv("PATH", QFile::encodeName(m_dir.filePath(QStringLiteral("empty"))));
    EXPECT_TRUE(findInstalledConverter(ConverterBuild::Bits64).isEmpty());
    const ConverterStatus result = deployConverter();
    EXPECT_EQ(result.error, kNotInstalled);
}

// Deployment

TEST_F(ConverterDeploymentTest, AnAbsentConverterIsCopiedWithMode0700)
{
    const ConverterStatus result = deployConverter(fakeLookup());
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.converterPath, converterPath());
    EXPECT_EQ(readAll(converterPath()), kFakeConverter);
    EXPECT_EQ(modeOf(converterPath()), 0700u);
    EXPECT_TRUE(QFileInfo(converterPath()).isExecutable());
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("pdftotext")}) << "no partial copies";
}

TEST_F(ConverterDeploymentTest, AnExistingConverterIsUsedUntouched)
{
    ASSERT_TRUE(ensurePrivateTempFolder().ok());
    const QByteArray stale = "an older converter";
    writeFile(QStringLiteral("orvanta-%1/pdftotext").arg(getuid()), stale, 0600);

    // Even with no converter installed: the one in place is all that is needed.
    const ConverterStatus result = deployConverter([](ConverterBuild) { return QString(); });
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.converterPath, converterPath());
    EXPECT_EQ(readAll(converterPath()), stale);

    ASSERT_TRUE(deployConverter(fakeLookup()).ok());
    EXPECT_EQ(readAll(converterPath()), stale);
    EXPECT_EQ(modeOf(converterPath()), 0600u);
}

TEST_F(ConverterDeploymentTest, ConversionsStartingTogetherShareOneCompleteCopy)
{
    const QByteArray big = kFakeConverter + QByteArray(4 << 20, '#');
    m_fakeInstalled = writeFile(QStringLiteral("big-pdftotext"), big);
    std::latch start(8);
    std::vector<ConverterStatus> results(8);
    std::vector<std::thread> threads;
    for (ConverterStatus &result : results) {
        threads.emplace_back([&] {
            start.arrive_and_wait();
            result = ensureConverterDeployed(fakeLookup());
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    for (const ConverterStatus &result : results)
        EXPECT_EQ(result.converterPath, converterPath()) << result.error.toStdString();
    EXPECT_EQ(readAll(converterPath()), big);
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("pdftotext")}) << "no partial copies";
}

TEST_F(ConverterDeploymentTest, WithoutAnInstalledConverterNothingIsWritten)
{
    const ConverterStatus result = deployConverter([](ConverterBuild) { return QString(); });
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error, kNotInstalled);
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(ConverterDeploymentTest, AnUnreadableInstalledConverterIsReported)
{
    const QString missing = m_dir.filePath(QStringLiteral("gone/pdftotext"));
    const ConverterStatus result = deployConverter([&](ConverterBuild) { return missing; });
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(missing)) << result.error.toStdString();
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(ConverterDeploymentTest, ARefusedFolderGetsNoConverter)
{
    const QString folder = privateTempFolderPath();
    ASSERT_TRUE(QDir().mkdir(folder));
    setMode(folder, 0777);

    const ConverterStatus result = deployConverter(fakeLookup());
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error, ensurePrivateTempFolder().error);
    EXPECT_TRUE(result.error.contains(folder));
    EXPECT_FALSE(QFile::exists(converterPath()));
}

TEST_F(ConverterDeploymentTest, RemovedAtShutdownAndDeployedAgainWhenMissing)
{
    ASSERT_TRUE(deployConverter(fakeLookup()).ok());
    removeConverter();
    EXPECT_FALSE(QFile::exists(converterPath()));
    EXPECT_TRUE(folderEntries().isEmpty());

    // Another instance shut down under us: the next conversion puts it back.
    const ConverterStatus again = ensureConverterDeployed(fakeLookup());
    ASSERT_TRUE(again.ok()) << again.error.toStdString();
    EXPECT_EQ(readAll(converterPath()), kFakeConverter);

    removeConverter();
    removeConverter(); // nothing left to remove is no error
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(ConverterDeploymentTest, TheDeployedRealConverterRuns)
{
    const QString installed = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    ASSERT_FALSE(installed.isEmpty()) << "poppler-utils is a build dependency";
    const ConverterStatus result = deployConverter();
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(readAll(result.converterPath), readAll(installed));
    ProcessOutput output;
    EXPECT_EQ(runProcessAndWait(result.converterPath, {QStringLiteral("-v")}, {}, &output), 0);
    EXPECT_TRUE(output.standardError.contains("pdftotext")) << output.standardError.constData();
}
