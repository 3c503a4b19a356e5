// The window under faults: a file that changes under the list, a converter that hangs, a private
// temporary folder that cannot be trusted, broken settings and an export that cannot be written.
// Each case checks what the user is told, that the window still counts afterwards and that no
// user file changed. How each fault arises is tested where it happens; here it reaches the
// window once.

#include "FakeConverter.h"
#include "FileSizeCap.h"
#include "MainWindowFixture.h"
#include "ProcessSignals.h"
#include "QtPrinters.h"
#include "app/WindowRunHost.h"
#include "base/ErrorReport.h"
#include "run/CountingRun.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
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

// What counting text-a.pdf and text-b.pdf for four-word phrases shows.
const QStringList kGoodRows = {
    QStringLiteral(" the fox goes home.|4|2"), QStringLiteral(" the quick brown fox|4|3"),
    QStringLiteral(" at the end of|4|4"), QStringLiteral(" the end of the|4|4")};

class MainWindowFaultTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_fixturePrint = folderFingerprint(fixtureFolder());
        ASSERT_FALSE(m_fixturePrint.isEmpty());
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        EXPECT_EQ(folderFingerprint(fixtureFolder()), m_fixturePrint);
    }

    QString userFile(const QString &name) const { return m_user.filePath(name); }

    QString copyFixture(const char *name, const QString &as) { return copyOf(name, userFile(as)); }

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
        child<QPushButton>(objects::kClearInputButton)->click();
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

// A file made unreadable after it was converted is unchanged: its text is counted.
TEST_F(MainWindowFaultTest, AFileMadeUnreadableAfterAddingIsCountedFromItsConvertedText)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root from reading the file; ./test.sh runs "
                        "this as an unprivileged user";
    const QStringList listed = {copyFixture("text-a.pdf", QStringLiteral("a.pdf")),
                                copyFixture("text-b.pdf", QStringLiteral("locked away.pdf"))};
    open();
    lengthBox(4)->click();
    addFiles(listed);
    ASSERT_TRUE(QFile::setPermissions(listed[1], {}));
    count();
    QFile::setPermissions(listed[1], QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(m_dialogs.messages().last(), QLatin1String(run_texts::kDone));
    EXPECT_EQ(resultTexts(), kGoodRows);
}

// A converter that hangs

TEST_F(MainWindowFaultTest, EscStopsAHangingConverterAndKeepsThePreviousResults)
{
    open();
    countTheGoodFiles();
    const int messagesBefore = int(m_dialogs.messages().size());
    const QString pidFile = m_tmp.filePath(QStringLiteral("converter.pid"));
    auto hanging = std::make_unique<FakeConverter>(FakeConverter::hangingScript(pidFile));
    // A changed file must be converted again, by the hanging stand-in.
    const QString changed = copyFixture("text-a.pdf", QStringLiteral("a.pdf"));
    child<QTreeWidget>(objects::kInputList)
        ->addTopLevelItem(new QTreeWidgetItem(QStringList{changed}));

    QSignalSpy finished(m_window.get(), &MainWindow::countingFinished);
    child<QPushButton>(objects::kCountButton)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pidsIn(pidFile).isEmpty(); }, 20000));
    EXPECT_TRUE(m_window->isCounting());
    EXPECT_EQ(m_window->cursor().shape(), Qt::WaitCursor);
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_Escape);

    ASSERT_TRUE(finished.count() == 1 || finished.wait(20000));
    EXPECT_FALSE(m_window->isCounting());
    for (const qint64 pid : pidsIn(pidFile))
        EXPECT_TRUE(waitUntilGone(pid)) << pid;
    EXPECT_EQ(resultTexts(), kGoodRows);
    EXPECT_EQ(m_dialogs.messages().size(), messagesBefore);
    EXPECT_EQ(child<QLabel>(objects::kStatusLine)->text(), QStringLiteral("Cancelled."));
    EXPECT_EQ(m_window->pointerMode(), DefaultPointer);
    EXPECT_NE(m_window->cursor().shape(), Qt::WaitCursor);

    hanging.reset();
    expectAGoodRunAfterwards();
}

// A private temporary folder that cannot be trusted

// The window is told at start-up, when files are added and when counting; nothing is
// converted, and once the folder is safe counting works again.
TEST_F(MainWindowFaultTest, ATemporaryFolderOthersCanChangeIsRefusedAtEveryStep)
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

TEST_F(MainWindowFaultTest, MalformedSettingsGiveSensibleStatesAndTheButtonsStillWork)
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
    EXPECT_FALSE(
        child<QCheckBox>(objects::kPromptForPassword)->isChecked()); // not a number: unticked
    EXPECT_TRUE(lengthBox(2)->isChecked());                          // any number but 0: ticked
    EXPECT_FALSE(lengthBox(3)->isChecked());
    const int kept = child<QLineEdit>(objects::kExtraLengths)->maxLength();
    EXPECT_EQ(child<QLineEdit>(objects::kExtraLengths)->text(), longText.left(kept));

    // The ticked "2" and the long typed text give their lengths.
    addFiles({fixture("text-a.pdf")});
    count();
    EXPECT_TRUE(resultTexts().contains(QStringLiteral(" the quick|2|2")));
    EXPECT_TRUE(resultTexts().contains(QStringLiteral(" at the end of the|5|2")));
    child<QPushButton>(objects::kClearInputButton)->click();

    // The sample button finds the samples although the stored snapshot was garbage.
    m_dialogs.answers = {false};
    QSignalSpy checked(m_window.get(), &MainWindow::admissionCheckFinished);
    child<QPushButton>(objects::kSamplesButton)->click();
    ASSERT_TRUE(checked.wait(60000));
    const QStringList samples =
        QDir(QStringLiteral(ORVANTA_BIN_DIR "/Samples")).entryList(QDir::Files);
    ASSERT_FALSE(samples.isEmpty());
    EXPECT_EQ(m_window->inputFiles().size(), samples.size());

    // The folder chooser opens where the stored folder says, even when it is gone.
    child<QPushButton>(objects::kClearInputButton)->click();
    const QString pdf = copyFixture("text-a.pdf", QStringLiteral("a.pdf"));
    m_dialogs.folderResults.push_back(m_user.path());
    child<QPushButton>(objects::kAddFolderButton)->click();
    ASSERT_TRUE(checked.wait(60000));
    EXPECT_EQ(m_dialogs.shown.back().kind, QStringLiteral("folder"));
    EXPECT_EQ(m_dialogs.shown.back().text, userFile(QStringLiteral("nowhere/at all")));
    EXPECT_EQ(m_window->inputFiles(), QStringList{pdf});
    EXPECT_EQ(m_settings->readText(QStringLiteral("LastFolder")), m_user.path());
    EXPECT_EQ(errorReportsShown(), 0);
}

class UnwritableSettingsTest : public MainWindowFaultTest,
                               public ::testing::WithParamInterface<const char *> {
protected:
    void SetUp() override
    {
        MainWindowFaultTest::SetUp();
        const QString kind = QLatin1String(GetParam());
        if (kind == QLatin1String("below a file")) {
            writeFile(userFile(QStringLiteral("plain")), "a plain file\n");
            m_settingsFile = userFile(QStringLiteral("plain/settings.ini"));
        } else {
            m_settingsFile = userFile(QStringLiteral("settings.ini"));
            ASSERT_TRUE(QDir().mkdir(m_settingsFile));
        }
    }
};

TEST_P(UnwritableSettingsTest, TheUserIsToldOnceAndCanStillTickAndCount)
{
    const QStringList before = folderFingerprint(m_user.path());
    open();
    lengthBox(4)->click();
    lengthBox(5)->click();
    lengthBox(5)->click();
    child<QCheckBox>(objects::kPromptForPassword)->click();
    child<QCheckBox>(objects::kPromptForPassword)->click();
    QTest::keyClicks(child<QLineEdit>(objects::kExtraLengths), QStringLiteral("7, 8"));
    child<QLineEdit>(objects::kExtraLengths)->clear();

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
    EXPECT_EQ(folderFingerprint(m_user.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Stores, UnwritableSettingsTest,
                         ::testing::Values("below a file", "a folder"), [](const auto &info) {
                             return std::string(info.param) == "a folder" ? "SettingsFileIsAFolder"
                                                                          : "BelowARegularFile";
                         });

// An export that cannot be written

// Writing fails part of the way, as on a full disk: the user is told once, the old file stays,
// and the next save writes the whole list. What each kind of file does is tested with the file
// writer itself.
TEST_F(MainWindowFaultTest, AFailedSaveIsReportedOnceAndKeepsTheOldFile)
{
    open();
    countTheGoodFiles();
    m_dialogs.shown.clear();
    const QString path = userFile(QStringLiteral("phrases.txt"));
    writeFile(path, "the results of last week\r\n");
    const QStringList before = folderFingerprint(m_user.path());
    const auto saveAs = [&](const QString &target) {
        m_dialogs.saveResults.push_back(target);
        if (QFileInfo::exists(target))
            m_dialogs.answers.push_back(true); // replace it
        exportWith(objects::kSaveTextButton);
    };
    {
        const FileSizeCap cap(16);
        ASSERT_TRUE(cap.active());
        saveAs(path);
    }
    ASSERT_EQ(errorReportsShown(), 1);
    const auto &report = m_dialogs.shown.back();
    EXPECT_EQ(report.icon, DialogService::Icon::Warning);
    EXPECT_TRUE(report.text.startsWith(QStringLiteral("Cannot write ") + path + ": "))
        << report.text.toStdString();
    EXPECT_TRUE(report.text.contains(QStringLiteral("PushButton6_Click")));
    EXPECT_EQ(m_window->pointerMode(), ArrowPointer);
    EXPECT_EQ(folderFingerprint(m_user.path()), before);

    saveAs(path);
    EXPECT_EQ(readFile(path), " the fox goes home.\r\n the quick brown fox\r\n at the end of\r\n"
                              " the end of the\r\n");
    EXPECT_EQ(errorReportsShown(), 1);
}

// Other instances and signals

// A window and a terminal run side by side is ordinary use: neither removes the other's texts
// or disturbs its results.
TEST_F(MainWindowFaultTest, AWindowAndATerminalRunSideBySideKeepTheirOwnResults)
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

// Each signal ends the window, also while a message is open: here the one saying that the
// preferences cannot be saved, as the settings file lies under a regular file.
TEST(WindowProcess, EachSignalClosesTheWindowAndRemovesItsFilesEvenWithAMessageOpen)
{
    for (const bool messageOpen : {false, true}) {
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
            ScopedTmpdir tmp;
            QTemporaryDir home;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            if (messageOpen)
                environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                                   writeFile(home.filePath(QStringLiteral("file")), "x") +
                                       QStringLiteral("/c"));
            QProcess window;
            window.setProcessEnvironment(environment);
            window.start(QStringLiteral(ORVANTA_BIN_DIR "/orvanta"), {});
            ASSERT_TRUE(window.waitForStarted(10000));
            const QString privateFolder = QStringLiteral("orvanta-") + QString::number(::geteuid());
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    return takesSignal(window.processId(), signal) &&
                           (messageOpen || !tmp.entries(privateFolder).isEmpty());
                },
                20000))
                << "the window is up";
            ::kill(pid_t(window.processId()), signal);
            ASSERT_TRUE(window.waitForFinished(20000)) << "signal " << signal;
            EXPECT_EQ(window.exitCode(), 128 + signal);
            EXPECT_TRUE(tmp.entries(privateFolder).isEmpty());
        }
    }
}
