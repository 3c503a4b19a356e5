#include "FakeConverter.h"
#include "Fixtures.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "documents/TextStore.h"
#include "extract/TextReader.h"

#include <QDirIterator>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// A rewrite in place that keeps the size and the time (clocks of one second make this common)
// is another version.
TEST_F(TextStoreTest, AFileRewrittenInPlaceWithItsSizeAndTimeIsConvertedAgain)
{
    TextStore store;
    const auto pdfOf = [&](const QByteArray &words) {
        const QString made = m_tmp.filePath(QString::fromLatin1(words));
        QProcess make;
        make.start(QStringLiteral("python3"),
                   {QStringLiteral(ORVANTA_TEST_DATA "/pdfmake.py"), QStringLiteral("text"), made});
        make.write(words);
        make.closeWriteChannel();
        make.waitForFinished();
        return readFile(made);
    };
    QByteArray firstPdf = pdfOf("first words here");
    QByteArray otherPdf = pdfOf("other words here");
    // Bytes after the end of a PDF are ignored: they make both the same size.
    const qsizetype size = std::max(firstPdf.size(), otherPdf.size());
    firstPdf += QByteArray(size - firstPdf.size(), '\n');
    otherPdf += QByteArray(size - otherPdf.size(), '\n');
    const QString pdf = writeFile(m_tmp.filePath(QStringLiteral("same.pdf")), firstPdf);
    const QByteArray first = readAll(obtain(store, pdf));
    struct stat before {};
    ::stat(QFile::encodeName(pdf).constData(), &before);
    writeFile(pdf, otherPdf);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(pdf).constData(), times, 0);
    struct stat after {};
    ::stat(QFile::encodeName(pdf).constData(), &after);
    ASSERT_EQ(after.st_size, before.st_size);

    EXPECT_TRUE(first.startsWith("first words here"));
    EXPECT_TRUE(readAll(obtain(store, pdf)).startsWith("other words here"));
}

TEST_F(TextStoreTest, AConversionPastItsLimitIsNamedOnceAndNotTriedAgain)
{
    TextStore store;
    store.setConversionLimits({std::chrono::seconds(1), ConversionLimits::kDefaultMemory});
    EXPECT_EQ(obtain(store, fixture("nested-forms.pdf")).text->outcome,
              ConversionOutcome::TimedOut);
    EXPECT_EQ(obtain(store, fixture("nested-forms.pdf")).text->outcome,
              ConversionOutcome::TimedOut);
    EXPECT_EQ(store.conversions(), 1);
}

// A stream is read once, into a file nothing else can reach; a line too long refuses all of it.
TEST_F(TextStoreTest, AStreamIsCopiedWhereOnlyItsHandleReachesIt)
{
    TextStore store;
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        const QByteArray text = "one line\nand another\n";
        EXPECT_EQ(::write(ends[1], text.constData(), size_t(text.size())), text.size());
        ::close(ends[1]);
    });
    Result<StoredTextHandle> copy = store.copyStream(ends[0], QStringLiteral("-"));
    writer.join();
    ::close(ends[0]);
    ASSERT_TRUE(copy.ok()) << copy.error().toStdString();
    EXPECT_EQ(readAll(*copy), QByteArray("one line\nand another\n"));
    EXPECT_EQ(privateFileContents().size(), 1); // the lock alone

    const QString longLine = m_tmp.filePath(QStringLiteral("long.txt"));
    QFile file(longLine);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(LineSplitter::kLongestLine + 10));
    file.close();
    const Descriptor fd(::open(QFile::encodeName(longLine).constData(), O_RDONLY));
    EXPECT_EQ(store.copyStream(fd.get(), QStringLiteral("long.txt")).error(),
              tooLongLineMessage(QStringLiteral("long.txt")));
}

// Recognition that failed on a page says why and is never kept: the next try reads it again.
TEST_F(TextStoreTest, ARecognitionWithFailedPagesIsHandedOutOnceAndNotKept)
{
    TextStore store;
    const QString pdf = QStringLiteral(ORVANTA_SCAN_DIR "/typed-then-scanned.pdf");
    const StoredTextHandle converted = obtain(store, pdf);
    const DocumentVersion version = *store.versionOf(pdf, {});
    const QStringList english{QStringLiteral("eng")};
    {
        const ScopedEnv noDrawer("ORVANTA_CONVERT_WORKER", "/nonexistent/orvanta-convert");
        const Result<StoredTextHandle> failed =
            store.recognise(version, converted, {}, english, {});
        ASSERT_TRUE(failed.ok()) << failed.error().toStdString();
        ASSERT_EQ(failed->text->unreadPages.size(), 1u);
        EXPECT_EQ(failed->text->unreadPages[0].page, 2);
        EXPECT_TRUE(failed->text->unreadPages[0].reason.contains("orvanta-convert"));
        EXPECT_TRUE(readAll(*failed).startsWith("This first page was typed"));
    }
    EXPECT_FALSE(store.findRecognised(version, english).has_value());
    const Result<StoredTextHandle> read = store.recognise(version, converted, {}, english, {});
    ASSERT_TRUE(read.ok());
    EXPECT_TRUE(read->text->unreadPages.empty());
    EXPECT_TRUE(store.findRecognised(version, english).has_value());
}

// The folder of kept texts

namespace {

class KeptFolderTest : public TextStoreTest {
protected:
    QString kept() const { return m_tmp.filePath(QStringLiteral("kept")); }
    QStringList keptEntries() const { return m_tmp.entries(QStringLiteral("kept")); }

    Status keepIn(TextStore &store)
    {
        return store.keepIn(kept(), {}, [this](const QString &text) { m_notices << text; });
    }

    QStringList m_notices;
};

} // namespace

TEST_F(KeptFolderTest, TextsServeTheNextStoreButPasswordTextsNeverReachTheFolder)
{
    {
        TextStore store;
        ASSERT_TRUE(keepIn(store).ok());
        obtain(store, fixture("text-a.pdf"));
        EXPECT_TRUE(obtain(store, fixture("user-password.pdf"), QStringLiteral("open sesame"))
                        .text->isKept());
        for (const QString &name : keptEntries())
            EXPECT_FALSE(readFile(kept() + QLatin1Char('/') + name).contains("secret garden"));
    }
    TextStore next;
    ASSERT_TRUE(keepIn(next).ok());
    EXPECT_TRUE(readAll(obtain(next, fixture("text-a.pdf"))).startsWith("The quick brown fox"));
    EXPECT_EQ(next.conversions(), 0);
    EXPECT_TRUE(m_notices.isEmpty()) << m_notices.join('\n').toStdString();
}

// A crafted index pointed outside the folder: it is set aside with one notice, and nothing
// outside is read or removed. Files of the store that no index names (a killed run's) go;
// the user's own files stay.
TEST_F(KeptFolderTest, AnIndexThatCannotBeTrustedIsSetAsideAndLeftoversAreSwept)
{
    const QString outside = writeFile(m_tmp.filePath(QStringLiteral("outside.txt")), "not ours\n");
    writeFile(kept() + QStringLiteral("/text-Zz9Zz9Zz"), "a killed run's text\n");
    writeFile(kept() + QStringLiteral("/text-7"), "an earlier version's text\n");
    writeFile(kept() + QStringLiteral("/notes.txt"), "the user's own\n");
    QFile::link(outside, kept() + QStringLiteral("/text-Ab3dE6g8"));
    writeFile(
        kept() + QStringLiteral("/index.json"),
        "{\"format\":2,\"texts\":[{\"key\":\"a2V5\",\"file\":\"../outside.txt\",\"outcome\":0,"
        "\"bytes\":9,\"noText\":false,\"pages\":[0],\"recognised\":[]}]}");
    {
        TextStore store;
        ASSERT_TRUE(keepIn(store).ok());
        ASSERT_EQ(m_notices.size(), 1);
        EXPECT_TRUE(m_notices[0].contains(kept())) << m_notices[0].toStdString();
        EXPECT_TRUE(m_notices[0].contains("a file that is not one of its texts"));
        EXPECT_EQ(keptEntries(),
                  (QStringList{".orvanta-lock", "index.json.set-aside", "notes.txt"}));
        EXPECT_TRUE(obtain(store, fixture("text-a.pdf")).text->isKept());
    }
    EXPECT_EQ(readFile(outside), QByteArray("not ours\n"));
    EXPECT_TRUE(readFile(kept() + QStringLiteral("/index.json")).contains("\"format\":2"));
}

TEST_F(KeptFolderTest, ABusyFolderIsWaitedForWithANoticeUntilAStop)
{
    TextStore holder;
    ASSERT_TRUE(keepIn(holder).ok());
    TextStore waiting;
    std::stop_source stop;
    std::thread stopper([&] {
        for (int i = 0; i < 500 && m_notices.isEmpty(); ++i)
            QThread::msleep(10);
        stop.request_stop();
    });
    const Status waited = waiting.keepIn(kept(), stop.get_token(),
                                         [this](const QString &text) { m_notices << text; });
    stopper.join();
    EXPECT_FALSE(waited.ok());
    ASSERT_EQ(m_notices.size(), 1);
    EXPECT_TRUE(m_notices[0].startsWith("Waiting for another run")) << m_notices[0].toStdString();
    EXPECT_TRUE(m_notices[0].contains(kept()));
}

// A run killed outright leaves a password's text only in its private folder, which the next
// start removes.
TEST_F(KeptFolderTest, AfterAKillNoPasswordTextOutlivesTheRun)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TextStore store;
        Result<Converter> converter = Converter::locate();
        const DocumentVersion version =
            *store.versionOf(fixture("user-password.pdf"), QStringLiteral("open sesame"));
        if (keepIn(store).ok() && converter.ok() &&
            store.obtain(version, QStringLiteral("open sesame"), *converter).ok())
            ::raise(SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    const auto holdsTheSecret = [](const QString &folder) {
        QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            if (readFile(files.next()).contains("secret garden"))
                return true;
        }
        return false;
    };
    EXPECT_FALSE(holdsTheSecret(kept()));
    EXPECT_TRUE(holdsTheSecret(m_tmp.path())); // in the private folder, until the next start
    TextStore next;
    ASSERT_TRUE(next.prepare().ok());
    EXPECT_FALSE(holdsTheSecret(m_tmp.path()));
}

// A file we may no longer read is the version last read when only its change time differs (as
// taking away read permission changes it); any other change makes it a version never read.
TEST(ReadableVersionsTest, AnUnreadableFileIsTheVersionLastReadOfTheSameSizeTimeAndInode)
{
    DocumentVersion read;
    read.path = QStringLiteral("/in/a.pdf");
    read.size = 100;
    read.modifiedNs = 5;
    read.changedNs = 5;
    read.inode = 7;
    read.digest = "digest";
    ReadableVersions versions;
    versions.remember(read);

    DocumentVersion chmodded = read;
    chmodded.changedNs = 9;
    chmodded.digest.clear();
    EXPECT_EQ(versions.lastRead(chmodded).key(), read.key());

    for (const auto &change : std::vector<std::function<void(DocumentVersion &)>>{
             [](DocumentVersion &v) { v.size = 101; },
             [](DocumentVersion &v) { v.modifiedNs = 6; },
             [](DocumentVersion &v) { v.inode = 8; },
             [](DocumentVersion &v) { v.path = QStringLiteral("/in/b.pdf"); },
         }) {
        DocumentVersion other = chmodded;
        change(other);
        EXPECT_EQ(versions.lastRead(other).key(), other.key());
    }
}
