#include "FakeConverter.h"
#include "Fixtures.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "documents/TextStore.h"

#include <QDirIterator>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace orvanta;

namespace {

QByteArray readAll(const StoredTextHandle &handle)
{
    QByteArray text;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::pread(handle.fd.get(), buffer, sizeof buffer, text.size())) > 0)
        text.append(buffer, got);
    return text;
}

class TextStoreTest : public ::testing::Test {
protected:
    StoredTextHandle obtain(TextStore &store, const QString &path, const QString &password = {})
    {
        const Result<DocumentVersion> version = store.versionOf(path, password);
        EXPECT_TRUE(version.ok()) << path.toStdString();
        Result<StoredTextHandle> handle = store.obtain(*version, password, *m_converter);
        EXPECT_TRUE(handle.ok()) << handle.error().toStdString();
        return std::move(handle).value();
    }

    // Every file below the private folder, with its bytes.
    QList<QByteArray> privateFileContents() const
    {
        QList<QByteArray> contents;
        QDirIterator files(m_tmp.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext())
            contents << readFile(files.next());
        return contents;
    }

    ScopedTmpdir m_tmp;
    Result<Converter> m_converter = Converter::locate();
};

} // namespace

TEST_F(TextStoreTest, AVersionIsConvertedOnceAndAChangedFileAgain)
{
    TextStore store;
    const QString pdf = copyOf("text-a.pdf", m_tmp.filePath(QStringLiteral("text-a.pdf")));
    const QByteArray first = readAll(obtain(store, pdf));
    EXPECT_TRUE(first.startsWith("The quick brown fox jumps"));
    EXPECT_EQ(readAll(obtain(store, pdf)), first);
    EXPECT_EQ(store.conversions(), 1);

    QFile::remove(pdf);
    QFile::copy(fixture("text-b.pdf"), pdf);
    EXPECT_TRUE(readAll(obtain(store, pdf)).startsWith("The quick brown fox waits"));
    EXPECT_EQ(store.conversions(), 2);
}

TEST_F(TextStoreTest, ThePasswordIsPartOfTheVersionAndNeverWrittenAnywhere)
{
    TextStore store;
    const QString locked = fixture("user-password.pdf");
    EXPECT_EQ(obtain(store, locked).text->outcome, ConversionOutcome::NeedsPassword);
    const StoredTextHandle opened = obtain(store, locked, QStringLiteral("open sesame"));
    EXPECT_TRUE(opened.text->isKept());
    EXPECT_EQ(store.conversions(), 2);

    const DocumentVersion version = *store.versionOf(locked, QStringLiteral("open sesame"));
    EXPECT_FALSE(version.key().contains("open sesame"));
    EXPECT_NE(version.key(), store.versionOf(locked, QStringLiteral("other"))->key());
    for (const QByteArray &contents : privateFileContents())
        EXPECT_FALSE(contents.contains("open sesame"));
}

TEST_F(TextStoreTest, EachTextKnowsWherePagesStartAndWhetherItHoldsText)
{
    TextStore store;
    const StoredTextHandle text = obtain(store, fixture("text-b.pdf"));
    const QByteArray bytes = readAll(text);
    ASSERT_EQ(text.text->pageStarts.size(), 2u);
    EXPECT_EQ(text.text->pageStarts[1], bytes.indexOf('\f') + 1);
    EXPECT_TRUE(bytes.mid(text.text->pageStarts[1]).startsWith("On page two"));
    EXPECT_EQ(text.text->bytes, bytes.size());
    EXPECT_FALSE(text.text->noText);

    const StoredTextHandle scanned = obtain(store, fixture("scanned-3.pdf"));
    EXPECT_TRUE(scanned.text->noText);
    EXPECT_EQ(scanned.text->pageStarts.size(), 3u);
}

TEST_F(TextStoreTest, ADamagedFileIsJudgedOnceButACrashIsTriedAgain)
{
    TextStore store;
    EXPECT_EQ(obtain(store, fixture("damaged.pdf")).text->outcome, ConversionOutcome::Damaged);
    EXPECT_EQ(obtain(store, fixture("damaged.pdf")).text->outcome, ConversionOutcome::Damaged);
    EXPECT_EQ(store.conversions(), 1);

    {
        const FakeConverter crashing(QStringLiteral("kill -SEGV $$"));
        m_converter = Converter::locate();
        EXPECT_EQ(obtain(store, fixture("text-a.pdf")).text->outcome, ConversionOutcome::Stopped);
    }
    m_converter = Converter::locate();
    EXPECT_TRUE(obtain(store, fixture("text-a.pdf")).text->isKept());
    EXPECT_EQ(store.conversions(), 3);
}

TEST_F(TextStoreTest, PastItsLimitTheLeastRecentlyUsedTextGoesAndComesBackWhenNeeded)
{
    TextStore probe;
    const qint64 sizeA = obtain(probe, fixture("text-a.pdf")).text->bytes;
    TextStore store(sizeA + 10); // room for text-a, not for text-a and text-b
    const StoredTextHandle a = obtain(store, fixture("text-a.pdf"));
    const qint64 sizeB = obtain(store, fixture("text-b.pdf")).text->bytes;
    EXPECT_EQ(store.storedBytes(), sizeB);
    EXPECT_FALSE(store.find(*store.versionOf(fixture("text-a.pdf"), {})).has_value());
    EXPECT_TRUE(readAll(a).startsWith("The quick brown fox jumps")); // still readable when held

    EXPECT_TRUE(readAll(obtain(store, fixture("text-a.pdf"))).startsWith("The quick brown fox"));
    EXPECT_EQ(store.conversions(), 3);
}

TEST_F(TextStoreTest, CallersAskingForOneVersionAtOnceShareOneConversion)
{
    const FakeConverter slow(QStringLiteral("sleep 0.3\necho shared text"));
    m_converter = Converter::locate();
    TextStore store;
    std::vector<std::thread> callers;
    std::vector<QByteArray> texts(4);
    for (size_t i = 0; i < texts.size(); ++i)
        callers.emplace_back([&, i] { texts[i] = readAll(obtain(store, fixture("text-a.pdf"))); });
    for (std::thread &caller : callers)
        caller.join();
    EXPECT_EQ(store.conversions(), 1);
    for (const QByteArray &text : texts)
        EXPECT_EQ(text, QByteArray("shared text\n"));
}

TEST_F(TextStoreTest, StoresKeepSeparateFoldersAndLeaveNothingBehind)
{
    {
        TextStore first;
        TextStore second;
        obtain(first, fixture("text-a.pdf"));
        obtain(second, fixture("text-a.pdf"));
        EXPECT_EQ(first.conversions(), 1);
        EXPECT_EQ(second.conversions(), 1);
        EXPECT_EQ(privateFileContents().size(), 4); // a lock and a text each
    }
    EXPECT_TRUE(privateFileContents().isEmpty());
}

// A temporary folder that fills up during a conversion: the text is cut, so none of it counts.
TEST_F(TextStoreTest, ATextThatCannotBeWrittenWhollyIsNotKept)
{
    TextStore store;
    ASSERT_TRUE(store.prepare().ok());
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 40;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    const StoredTextHandle text = obtain(store, fixture("text-a.pdf"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, savedSignal);

    EXPECT_FALSE(text.text->isKept());
    EXPECT_FALSE(text.text->writeError.isEmpty());
    EXPECT_EQ(privateFileContents().size(), 1); // the lock alone
    EXPECT_TRUE(obtain(store, fixture("text-a.pdf")).text->isKept());
}

// The converter runs where it is installed, so a temporary folder that may hold no programs
// changes nothing.
TEST_F(TextStoreTest, ATemporaryFolderOnANoexecMountConvertsNormally)
{
    const QString mountPoint = m_tmp.filePath(QStringLiteral("noexec"));
    QDir().mkpath(mountPoint);
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs",
                MS_NOEXEC | MS_NOSUID | MS_NODEV, "size=16m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
    {
        const ScopedEnv tmpdir("TMPDIR", mountPoint.toUtf8());
        TextStore store;
        const StoredTextHandle text = obtain(store, fixture("text-a.pdf"));
        EXPECT_TRUE(text.text->isKept());
        EXPECT_TRUE(readAll(text).startsWith("The quick brown fox"));
    }
    ::umount(QFile::encodeName(mountPoint).constData());
}

// Text recognition: a scanned page's text takes its place, once per stored text.
TEST_F(TextStoreTest, ScannedPagesAreReadOnceAndTakeTheirPlace)
{
    TextStore store;
    const QString pdf = QStringLiteral(ORVANTA_SCAN_DIR "/typed-then-scanned.pdf");
    const StoredTextHandle converted = obtain(store, pdf);
    const DocumentVersion version = *store.versionOf(pdf, {});
    const QStringList english{QStringLiteral("eng")};
    std::vector<int> progress;
    Result<StoredTextHandle> read = store.recognise(
        version, converted, {}, english, [&](int done, int) { progress.push_back(done); });
    ASSERT_TRUE(read.ok()) << read.error().toStdString();
    const QByteArray text = readAll(*read);
    EXPECT_TRUE(text.startsWith("This first page was typed")) << text.constData();
    EXPECT_TRUE(text.contains("only a picture of printed words")) << text.constData();
    EXPECT_EQ(read->text->recognisedPages, std::vector<int>{2});
    EXPECT_EQ(read->text->pageStarts.size(), 2u);
    EXPECT_EQ(progress, std::vector<int>{1});

    EXPECT_TRUE(store.findRecognised(version, english).has_value());
    ASSERT_TRUE(store.recognise(version, converted, {}, english, {}).ok());
    EXPECT_EQ(store.recognisedPages(), 1);

    // A text with text on every page needs no recognition.
    const StoredTextHandle typed = obtain(store, fixture("text-b.pdf"));
    const Result<StoredTextHandle> same =
        store.recognise(*store.versionOf(fixture("text-b.pdf"), {}), typed, {}, english, {});
    EXPECT_EQ(same->text, typed.text);
    EXPECT_EQ(store.recognisedPages(), 1);
}
