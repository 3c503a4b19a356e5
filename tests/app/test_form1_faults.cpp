// The window under faults: bad PDFs, files that change under the list, a converter that
// crashes or hangs, a private temporary folder that cannot be trusted, broken settings and
// exports that cannot be written. Each case checks what the user is told, that the window
// still counts afterwards and that no user file changed.

#include "FakeConverter.h"
#include "FileSizeCap.h"
#include "Form1Fixture.h"
#include "QtPrinters.h"
#include "base/ErrorReport.h"
#include "results/ClipboardExport.h"
#include "results/TextExport.h"
#include "run/CountingRun.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace orvanta;

namespace {

const QString kHeading = QLatin1String(run_texts::kFailureHeading);

// What counting text-a.pdf and text-b.pdf for four-word phrases shows.
const QStringList kGoodRows = {
    QStringLiteral(" the fox goes home.|4|2"), QStringLiteral(" the quick brown fox|4|3"),
    QStringLiteral(" at the end of|4|4"), QStringLiteral(" the end of the|4|4")};

// Every file and folder below `folder`, each with the SHA-256 of its bytes ("folder" for a
// folder), as sorted lines that a failed comparison prints readably.
QStringList fingerprint(const QString &folder)
{
    QStringList lines;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray digest = "folder";
        if (!it.fileInfo().isDir()) {
            QFile file(path);
            QCryptographicHash hash(QCryptographicHash::Sha256);
            digest = file.open(QIODevice::ReadOnly) && hash.addData(&file)
                         ? hash.result().toHex()
                         : QByteArray("unreadable");
        }
        lines << QDir(folder).relativeFilePath(path) + QLatin1Char(' ') +
                     QString::fromLatin1(digest);
    }
    lines.sort();
    return lines;
}

bool writeUserFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

QString failureLine(const QString &path, const char *reason)
{
    return path + QLatin1String(reason);
}

QString expectedNotice(const QStringList &failureLines)
{
    if (failureLines.isEmpty())
        return QLatin1String(run_texts::kDone);
    const QStringList lines = QStringList{QLatin1String(run_texts::kDone), kHeading} + failureLines;
    return lines.join(QStringLiteral("\r\n"));
}

QList<pid_t> pidsIn(const QString &path)
{
    QList<pid_t> pids;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return pids;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            pids << pid_t(line.trimmed().toInt());
    }
    return pids;
}

class Form1FaultTest : public Form1Test {
protected:
    void SetUp() override
    {
        Form1Test::SetUp();
        m_fixturePrint = fingerprint(fixtureFolder());
        ASSERT_FALSE(m_fixturePrint.isEmpty());
    }
    void TearDown() override
    {
        Form1Test::TearDown();
        EXPECT_EQ(fingerprint(fixtureFolder()), m_fixturePrint);
    }

    QString userFile(const QString &name) const { return m_user.filePath(name); }

    QString copyFixture(const char *name, const QString &as)
    {
        const QString copy = userFile(as);
        EXPECT_TRUE(QFile::copy(fixture(name), copy));
        return copy;
    }

    void countTheGoodFiles()
    {
        lengthBox(4)->setChecked(true);
        addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
        count();
        ASSERT_EQ(resultTexts(), kGoodRows);
    }

    // Clears the list and counts text-a.pdf and text-b.pdf for four-word phrases.
    void expectAGoodRunAfterwards()
    {
        child<QPushButton>("PushButton3")->click();
        lengthBox(4)->setChecked(true);
        addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
        count();
        EXPECT_EQ(resultTexts(), kGoodRows);
        EXPECT_EQ(m_dialogs.messages().last(), QLatin1String(run_texts::kDone));
        EXPECT_EQ(m_window->pointerMode(), DefaultPointer);
    }

    int errorReportsShown() const
    {
        return int(std::count_if(m_dialogs.shown.begin(), m_dialogs.shown.end(), [](auto &s) {
            return s.title == QLatin1String(kErrorReportTitle);
        }));
    }

    QStringList inputPrompts() const
    {
        QStringList prompts;
        for (const auto &shown : m_dialogs.shown) {
            if (shown.kind == QLatin1String("input"))
                prompts << shown.text;
        }
        return prompts;
    }

    QTemporaryDir m_user; // the user's own files that a test makes
    QStringList m_fixturePrint;
};

} // namespace

// Bad PDFs in one run

TEST_F(Form1FaultTest, EveryKindOfBadPdfIsNamedAfterTheRunAndTheGoodOnesAreCounted)
{
    const QStringList damaged = {fixture("damaged.pdf"), fixture("empty.pdf"),
                                 fixture("not-a-pdf.pdf")};
    const QStringList locked = {fixture("user-password.pdf"), fixture("user-password.pdf")};
    const QStringList bad = damaged + locked;
    const QString scanned = fixture("scanned-3.pdf");
    const QStringList oddNames = oddNamedFixtures();
    const QStringList readable = {fixture("owner-only.pdf"), fixture("control-chars.pdf"),
                                  fixture("owner-only.pdf"), fixture("control-chars.pdf"),
                                  fixture("text-a.pdf"),     fixture("text-b.pdf")};
    const QStringList listed = bad + QStringList{scanned} + oddNames + readable;
    open();
    lengthBox(4)->click();
    child<QCheckBox>("Check2")->click();
    addFiles(listed);
    ASSERT_EQ(m_dialogs.messages().size(), 1);
    EXPECT_TRUE(m_dialogs.messages()[0].startsWith(
        QStringLiteral("These files could not be read:\r\n\r\n") +
        (bad + QStringList{scanned}).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n")));

    // Every prompt cancelled: the locked file is named like the other unreadable ones.
    m_dialogs.inputs.assign(listed.size(), std::nullopt);
    count();
    QStringList expectedPrompts;
    for (const QString &path : listed)
        expectedPrompts << passwordPrompt(path);
    EXPECT_EQ(inputPrompts(), expectedPrompts);
    QStringList failures;
    for (const QString &path : damaged)
        failures << failureLine(path, run_texts::kDamaged);
    for (const QString &path : locked)
        failures << failureLine(path, run_texts::kProtected);
    failures << failureLine(scanned, run_texts::kUnreadable);
    EXPECT_EQ(m_dialogs.messages().last(), expectedNotice(failures));
    const QStringList rows = resultTexts();
    for (const char *row : {" odd file names must|4|8", " names must not matter.|4|8",
                            " anyone may read this|4|2", " the quick brown fox|4|3",
                            " ctrl\x01mark esc\x1b"
                            "ape del\x7f"
                            "ete tab|4|2"})
        EXPECT_TRUE(rows.contains(QString::fromUtf8(row))) << row;
    EXPECT_FALSE(rows.join(QLatin1Char('\n')).contains(QStringLiteral("secret")));

    // The right password this time: the locked file is counted and no longer named.
    m_dialogs.shown.clear();
    for (const QString &path : listed) {
        m_dialogs.inputs.push_back(path.endsWith(QLatin1String("user-password.pdf"))
                                       ? std::optional<QString>(QStringLiteral("open sesame"))
                                       : std::nullopt);
    }
    count();
    failures.removeAll(failureLine(fixture("user-password.pdf"), run_texts::kProtected));
    EXPECT_EQ(m_dialogs.messages(), QStringList{expectedNotice(failures)});
    EXPECT_TRUE(resultTexts().contains(QStringLiteral(" the secret garden opens|4|2")));
    EXPECT_EQ(resultTexts().size(), rows.size() + 3); // its six words make three phrases
    EXPECT_EQ(errorReportsShown(), 0);
    EXPECT_EQ(m_window->pointerMode(), DefaultPointer);
}

// Listed files that change before counting

TEST_F(Form1FaultTest, FilesDeletedOrReplacedByAFolderAfterAddingAreNamedAsNotFound)
{
    const QStringList listed = {copyFixture("text-a.pdf", QStringLiteral("a.pdf")),
                                copyFixture("text-a.pdf", QStringLiteral("gone.pdf")),
                                copyFixture("text-b.pdf", QStringLiteral("b.pdf")),
                                copyFixture("text-b.pdf", QStringLiteral("now a folder.pdf"))};
    open();
    lengthBox(4)->click();
    addFiles(listed);
    ASSERT_TRUE(m_dialogs.messages().isEmpty());
    ASSERT_TRUE(QFile::remove(listed[1]));
    ASSERT_TRUE(QFile::remove(listed[3]));
    ASSERT_TRUE(QDir().mkdir(listed[3]));
    const QStringList before = fingerprint(m_user.path());

    count();
    EXPECT_EQ(m_dialogs.messages().last(),
              expectedNotice({failureLine(listed[1], run_texts::kFileMissing),
                              failureLine(listed[3], run_texts::kFileMissing)}));
    EXPECT_EQ(resultTexts(), kGoodRows);
    EXPECT_EQ(fingerprint(m_user.path()), before);
    expectAGoodRunAfterwards();
}

// A file made unreadable after it was converted is unchanged: its text is counted.
TEST_F(Form1FaultTest, AFileMadeUnreadableAfterAddingIsCountedFromItsConvertedText)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root from reading the file";
    const QStringList listed = {copyFixture("text-a.pdf", QStringLiteral("a.pdf")),
                                copyFixture("text-b.pdf", QStringLiteral("locked away.pdf"))};
    open();
    lengthBox(4)->click();
    addFiles(listed);
    ASSERT_TRUE(QFile::setPermissions(listed[1], {}));
    count();
    QFile::setPermissions(listed[1], QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(m_dialogs.messages().last(), expectedNotice({}));
    EXPECT_EQ(resultTexts(), kGoodRows);
}

// A converter that crashes or hangs

TEST_F(Form1FaultTest, ACrashingConverterFailsEveryFileAndTheRealOneComesBack)
{
    open();
    lengthBox(4)->click();
    const QStringList listed = {fixture("text-a.pdf"), fixture("text-b.pdf")};
    addFiles(listed);
    auto crashing = std::make_unique<FakeConverter>(QStringLiteral("ulimit -c 0\nkill -SEGV $$"));
    const QStringList changed = {copyFixture("text-a.pdf", QStringLiteral("a.pdf")),
                                 copyFixture("text-b.pdf", QStringLiteral("b.pdf"))};
    child<QPushButton>("PushButton3")->click();
    child<QTreeWidget>("ListView1")
        ->addTopLevelItems({new QTreeWidgetItem(QStringList{changed[0]}),
                            new QTreeWidgetItem(QStringList{changed[1]})});

    count();
    const QStringList lines = m_dialogs.messages().last().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4) << m_dialogs.messages().last().toStdString();
    EXPECT_EQ(lines.mid(0, 2), (QStringList{QLatin1String(run_texts::kDone), kHeading}));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(lines[i + 2], failureLine(changed[i], run_texts::kConverterCrashed));
    }
    EXPECT_TRUE(resultTexts().isEmpty());
    EXPECT_EQ(errorReportsShown(), 0);
    EXPECT_FALSE(m_window->isCounting());

    crashing.reset(); // the installed converter is found again
    expectAGoodRunAfterwards();
}

TEST_F(Form1FaultTest, EscStopsAHangingConverterAndKeepsThePreviousResults)
{
    open();
    countTheGoodFiles();
    const int messagesBefore = int(m_dialogs.messages().size());
    const QString pidFile = m_tmp.filePath(QStringLiteral("converter.pid"));
    auto hanging = std::make_unique<FakeConverter>(FakeConverter::hangingScript(pidFile));
    // A changed file must be converted again, by the hanging stand-in.
    const QString changed = copyFixture("text-a.pdf", QStringLiteral("a.pdf"));
    child<QTreeWidget>("ListView1")->addTopLevelItem(new QTreeWidgetItem(QStringList{changed}));

    QSignalSpy finished(m_window.get(), &Form1::countingFinished);
    child<QPushButton>("PushButton7")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pidsIn(pidFile).isEmpty(); }, 20000));
    EXPECT_TRUE(m_window->isCounting());
    EXPECT_EQ(m_window->cursor().shape(), Qt::WaitCursor);
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_Escape);

    ASSERT_TRUE(finished.count() == 1 || finished.wait(20000));
    EXPECT_FALSE(m_window->isCounting());
    for (pid_t pid : pidsIn(pidFile))
        EXPECT_TRUE(waitUntilGone(pid)) << pid;
    EXPECT_EQ(resultTexts(), kGoodRows);
    EXPECT_EQ(m_dialogs.messages().size(), messagesBefore);
    EXPECT_EQ(child<QLabel>("StatusLine")->text(), QStringLiteral("Cancelled."));
    EXPECT_EQ(m_window->pointerMode(), DefaultPointer);
    EXPECT_NE(m_window->cursor().shape(), Qt::WaitCursor);

    hanging.reset();
    expectAGoodRunAfterwards();
}

// A private temporary folder that cannot be trusted

// The window is told at start-up, when files are added and when counting; nothing is
// converted, and once the folder is safe counting works again.
TEST_F(Form1FaultTest, ATemporaryFolderOthersCanChangeIsRefusedAtEveryStep)
{
    const QByteArray tmp = QFile::encodeName(m_tmp.path());
    ASSERT_EQ(::chmod(tmp.constData(), 0777), 0);
    open();
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    const QString told = m_dialogs.shown[0].text;
    EXPECT_TRUE(told.contains(QStringLiteral("TMPDIR"))) << told.toStdString();
    EXPECT_EQ(m_dialogs.shown[0].icon, DialogService::Icon::Warning);

    lengthBox(4)->click();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    EXPECT_EQ(m_dialogs.messages(), QStringList(3, told));
    EXPECT_TRUE(resultTexts().isEmpty());
    EXPECT_EQ(m_window->pointerMode(), DefaultPointer);
    ASSERT_EQ(::chmod(tmp.constData(), 0700), 0);
    EXPECT_TRUE(m_tmp.entries().filter(QStringLiteral("orvanta-")).isEmpty())
        << "nothing written where others could change it";

    count();
    EXPECT_EQ(resultTexts(), kGoodRows);
    EXPECT_EQ(m_dialogs.messages().last(), QLatin1String(run_texts::kDone));
}

// Settings

TEST_F(Form1FaultTest, MalformedSettingsGiveSensibleStatesAndTheButtonsStillWork)
{
    const QString longText = QStringLiteral("5 ").repeated(50000);
    {
        QSettings ini(m_settingsFile, QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("Orvanta"));
        ini.setValue(QStringLiteral("Check2"), QStringLiteral("abc"));
        ini.setValue(QStringLiteral("Phrases0"), QStringLiteral("2"));
        ini.setValue(QStringLiteral("Phrases1"), QStringLiteral("abc"));
        ini.setValue(QStringLiteral("Text1"), longText);
        ini.setValue(QStringLiteral("LastFolder"), userFile(QStringLiteral("nowhere/at all")));
        ini.setValue(QStringLiteral("Snapshot"), QStringLiteral("not base64 !!"));
    }
    open();
    EXPECT_TRUE(m_dialogs.shown.empty());
    EXPECT_FALSE(child<QCheckBox>("Check2")->isChecked()); // not a number: unticked
    EXPECT_TRUE(lengthBox(2)->isChecked());                // any number but 0: ticked
    EXPECT_FALSE(lengthBox(3)->isChecked());
    const int kept = child<QLineEdit>("Text1")->maxLength();
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), longText.left(kept));

    // The ticked "2" and the long typed text give their lengths.
    addFiles({fixture("text-a.pdf")});
    count();
    EXPECT_TRUE(resultTexts().contains(QStringLiteral(" the quick|2|2")));
    EXPECT_TRUE(resultTexts().contains(QStringLiteral(" at the end of the|5|2")));
    child<QPushButton>("PushButton3")->click();

    // The sample button finds the samples although the stored snapshot was garbage.
    m_dialogs.answers = {false};
    QSignalSpy checked(m_window.get(), &Form1::admissionCheckFinished);
    child<QPushButton>("PushButton11")->click();
    ASSERT_TRUE(checked.wait(60000));
    const QStringList samples =
        QDir(QStringLiteral(ORVANTA_BIN_DIR "/Samples")).entryList(QDir::Files);
    ASSERT_FALSE(samples.isEmpty());
    EXPECT_EQ(m_window->inputFiles().size(), samples.size());

    // The folder chooser opens where the stored folder says, even when it is gone.
    child<QPushButton>("PushButton3")->click();
    const QString pdf = copyFixture("text-a.pdf", QStringLiteral("a.pdf"));
    m_dialogs.folderResults.push_back(m_user.path());
    child<QPushButton>("PushButton4")->click();
    ASSERT_TRUE(checked.wait(60000));
    EXPECT_EQ(m_dialogs.shown.back().kind, QStringLiteral("folder"));
    EXPECT_EQ(m_dialogs.shown.back().text, userFile(QStringLiteral("nowhere/at all")));
    EXPECT_EQ(m_window->inputFiles(), QStringList{pdf});
    EXPECT_EQ(m_settings->readText(QStringLiteral("LastFolder")), m_user.path());
    EXPECT_EQ(errorReportsShown(), 0);
}

class UnwritableSettingsTest : public Form1FaultTest,
                               public ::testing::WithParamInterface<const char *> {
protected:
    void SetUp() override
    {
        Form1FaultTest::SetUp();
        const QString kind = QLatin1String(GetParam());
        if (kind == QLatin1String("below a file")) {
            ASSERT_TRUE(writeUserFile(userFile(QStringLiteral("plain")), "a plain file\n"));
            m_settingsFile = userFile(QStringLiteral("plain/settings.ini"));
        } else {
            m_settingsFile = userFile(QStringLiteral("settings.ini"));
            ASSERT_TRUE(QDir().mkdir(m_settingsFile));
        }
    }
};

TEST_P(UnwritableSettingsTest, TheUserIsToldOnceAndCanStillTickAndCount)
{
    const QStringList before = fingerprint(m_user.path());
    open();
    lengthBox(4)->click();
    lengthBox(5)->click();
    lengthBox(5)->click();
    child<QCheckBox>("Check2")->click();
    child<QCheckBox>("Check2")->click();
    QTest::keyClicks(child<QLineEdit>("Text1"), QStringLiteral("7, 8"));
    child<QLineEdit>("Text1")->clear();

    ASSERT_EQ(m_dialogs.messages().size(), 1)
        << m_dialogs.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_dialogs.messages()[0],
              QStringLiteral("Your preferences cannot be saved, so the boxes ticked and the "
                             "numbers typed now will be forgotten when Orvanta closes."));
    EXPECT_EQ(m_dialogs.shown[0].icon, DialogService::Icon::Warning);
    EXPECT_TRUE(lengthBox(4)->isChecked());
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    EXPECT_EQ(resultTexts(), kGoodRows);
    EXPECT_EQ(m_dialogs.messages().last(), QLatin1String(run_texts::kDone));
    EXPECT_EQ(fingerprint(m_user.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Stores, UnwritableSettingsTest,
                         ::testing::Values("below a file", "a folder"), [](const auto &info) {
                             return std::string(info.param) == "a folder" ? "SettingsFileIsAFolder"
                                                                          : "BelowARegularFile";
                         });

// Exports that cannot be written

class ExportFaultTest : public Form1FaultTest {
protected:
    void SetUp() override
    {
        Form1FaultTest::SetUp();
        open();
        countTheGoodFiles();
        m_dialogs.shown.clear();
    }

    void saveAs(const QString &path)
    {
        m_dialogs.saveResults.push_back(path);
        if (QFileInfo::exists(path))
            m_dialogs.answers.push_back(true); // replace it
        child<QPushButton>("PushButton6")->click();
    }

    // One error report whose first line begins as given; the pointer back to the arrow.
    void expectOneReport(const QString &firstLineStart)
    {
        ASSERT_EQ(errorReportsShown(), 1);
        const auto &report = m_dialogs.shown.back();
        EXPECT_EQ(report.kind, QStringLiteral("message"));
        EXPECT_EQ(report.icon, DialogService::Icon::Warning);
        EXPECT_TRUE(report.text.startsWith(firstLineStart)) << report.text.toStdString();
        EXPECT_TRUE(report.text.contains(QStringLiteral("PushButton6_Click")));
        EXPECT_EQ(m_window->pointerMode(), ArrowPointer);
    }

    // A later save to an ordinary file writes the whole list.
    void expectASaveAfterwards()
    {
        const QString path = userFile(QStringLiteral("afterwards.txt"));
        saveAs(path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(),
                  " the fox goes home.\r\n the quick brown fox\r\n at the end of\r\n"
                  " the end of the\r\n");
        EXPECT_EQ(resultTexts(), kGoodRows);
    }
};

TEST_F(ExportFaultTest, AFileBelowARegularFileCannotBeCreated)
{
    ASSERT_TRUE(writeUserFile(userFile(QStringLiteral("plain.txt")), "keep me\n"));
    const QStringList before = fingerprint(m_user.path());
    const QString path = userFile(QStringLiteral("plain.txt/phrases.txt"));
    saveAs(path);
    expectOneReport(QStringLiteral("Cannot create ") + path + QStringLiteral(": "));
    EXPECT_EQ(fingerprint(m_user.path()), before);
    expectASaveAfterwards();
}

TEST_F(ExportFaultTest, AFolderIsNotReplaced)
{
    ASSERT_TRUE(QDir().mkdir(userFile(QStringLiteral("results"))));
    ASSERT_TRUE(writeUserFile(userFile(QStringLiteral("results/inside.txt")), "keep me\n"));
    const QStringList before = fingerprint(m_user.path());
    const QString path = userFile(QStringLiteral("results"));
    saveAs(path);
    EXPECT_EQ(m_dialogs.shown[1].text, overwriteQuestion(path));
    expectOneReport(QStringLiteral("Cannot create ") + path + QStringLiteral(": "));
    EXPECT_EQ(fingerprint(m_user.path()), before);
    expectASaveAfterwards();
}

TEST_F(ExportFaultTest, TheFileSizeLimitLeavesTheOldFileAsItWas)
{
    const QString path = userFile(QStringLiteral("phrases.txt"));
    ASSERT_TRUE(writeUserFile(path, "the results of last week\r\n"));
    const QStringList before = fingerprint(m_user.path());
    {
        const FileSizeCap cap(16);
        ASSERT_TRUE(cap.active());
        saveAs(path);
    }
    expectOneReport(QStringLiteral("Cannot write ") + path + QStringLiteral(": "));
    EXPECT_EQ(fingerprint(m_user.path()), before);
    expectASaveAfterwards();
}

TEST_F(ExportFaultTest, AFullDeviceIsReportedAndStaysADevice)
{
    // A device node of our own where root may make one; /dev/full is never written as root.
    QString device = QStringLiteral("/dev/full");
    if (::geteuid() == 0) {
        device = userFile(QStringLiteral("full"));
        ASSERT_EQ(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 7)), 0);
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &info), 0);
    ASSERT_TRUE(S_ISCHR(info.st_mode) && info.st_rdev == makedev(1, 7)) << device.toStdString();
    const QStringList before = fingerprint(m_user.path());

    saveAs(device);
    expectOneReport(QStringLiteral("Cannot write ") + device + QStringLiteral(": ") +
                    QString::fromLocal8Bit(std::strerror(ENOSPC)));
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, info.st_rdev);
    EXPECT_EQ(fingerprint(m_user.path()), before);
    expectASaveAfterwards();
}

TEST_F(ExportFaultTest, AFifoIsWrittenToDirectlyAndOneWithoutReaderIsReported)
{
    const QString fifo = userFile(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    saveAs(fifo); // nobody reads: told at once instead of waiting for a reader
    expectOneReport(QStringLiteral("Cannot create ") + fifo + QStringLiteral(": "));

    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    saveAs(fifo);
    QByteArray received(256, '\0');
    const ssize_t size = ::read(reader, received.data(), size_t(received.size()));
    ::close(reader);
    EXPECT_EQ(received.left(std::max<ssize_t>(size, 0)),
              " the fox goes home.\r\n the quick brown fox\r\n at the end of\r\n"
              " the end of the\r\n");
    EXPECT_EQ(errorReportsShown(), 1);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// The clipboard stays unusable when something takes it back at once; the copy is not reported
// as failed, by design, and the window carries on.
TEST_F(ExportFaultTest, ARefusingClipboardStillConfirmsAndBreaksNothing)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    m_window->results().setTicked(1, true);
    const QMetaObject::Connection takeBack =
        QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, [clipboard] {
            if (!clipboard->text().isEmpty())
                clipboard->clear();
        });
    child<QPushButton>("PushButton8")->click();
    QObject::disconnect(takeBack);

    EXPECT_EQ(m_dialogs.messages(), QStringList{clipboardConfirmation()});
    EXPECT_TRUE(clipboard->text().isEmpty());
    EXPECT_EQ(errorReportsShown(), 0);
    EXPECT_EQ(resultTexts(), kGoodRows);

    child<QPushButton>("PushButton8")->click();
    EXPECT_TRUE(clipboard->text().startsWith(QStringLiteral(" the quick brown fox")));
    expectASaveAfterwards();
}

// Other instances and signals

// A window and a terminal run side by side is ordinary use: neither removes the other's texts
// or disturbs its results.
TEST_F(Form1FaultTest, AWindowAndATerminalRunSideBySideKeepTheirOwnResults)
{
    open();
    countTheGoodFiles();
    const int conversions = m_window->textStore().conversions();
    const QStringList arguments{QStringLiteral("--no-header"), QStringLiteral("-l"),
                                QStringLiteral("4"), fixture("text-a.pdf"), fixture("text-b.pdf")};
    const QByteArray expected = "the fox goes home.\t4\t2\nthe quick brown fox\t4\t3\n"
                                "at the end of\t4\t4\nthe end of the\t4\t4\n";
    QProcess terminal;
    terminal.start(QStringLiteral(ORVANTA_BIN_DIR "/orvanta-count"), arguments);
    count();
    ASSERT_TRUE(terminal.waitForFinished(60000));
    EXPECT_EQ(terminal.readAllStandardOutput(), expected);
    EXPECT_EQ(resultTexts(), kGoodRows);

    // The terminal run's start swept leftovers of gone instances; the window's texts stayed.
    count();
    EXPECT_EQ(resultTexts(), kGoodRows);
    EXPECT_EQ(m_window->textStore().conversions(), conversions);
    EXPECT_EQ(privateFolderEntries().size(), 1);
}

TEST(WindowProcess, SigtermClosesTheWindowAndRemovesItsFiles)
{
    ScopedTmpdir tmp;
    QProcess window;
    window.start(QStringLiteral(ORVANTA_BIN_DIR "/orvanta"), {});
    ASSERT_TRUE(window.waitForStarted(10000));
    const QString privateFolder = QStringLiteral("orvanta-") + QString::number(::geteuid());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tmp.entries(privateFolder).isEmpty(); }, 20000))
        << "the window made its folder";
    ::kill(pid_t(window.processId()), SIGTERM);
    ASSERT_TRUE(window.waitForFinished(20000));
    EXPECT_EQ(window.exitCode(), 128 + SIGTERM);
    EXPECT_TRUE(tmp.entries(privateFolder).isEmpty());
}
