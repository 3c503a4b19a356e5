#include "FakeConverter.h"
#include "Fixtures.h"
#include "QtPrinters.h"
#include "extract/Converter.h"
#include "extract/PageRecognition.h"
#include "extract/ProcessRunner.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <thread>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

struct Converted {
    ConversionOutcome outcome;
    QByteArray text;
};

Converted convertWith(const Converter &converter, const QString &pdf, const QString &password = {},
                      const ConversionLimits &limits = {})
{
    Converted result{ConversionOutcome::Cancelled, {}};
    result.outcome = converter.convert(pdf, password, limits,
                                       [&result](QByteArrayView piece) {
                                           result.text += piece;
                                           return true;
                                       },
                                       {});
    return result;
}

Converted convert(const QString &pdf, const QString &password = {})
{
    const Result<Converter> converter = Converter::locate();
    EXPECT_TRUE(converter.ok());
    return convertWith(*converter, pdf, password);
}

// pdftotext's own text and outcome, the password on its command line as only a test may do.
Converted pdftotext(const QString &pdf, const QString &password)
{
    QStringList arguments;
    if (!password.isEmpty())
        arguments << QStringLiteral("-opw") << password << QStringLiteral("-upw") << password;
    arguments << QFileInfo(pdf).absoluteFilePath() << QStringLiteral("-");
    Converted result{ConversionOutcome::Cancelled, {}};
    QByteArray errorHead;
    const int code = runProcess(QStringLiteral("pdftotext"), arguments, {},
                                {[&result](QByteArrayView piece) {
                                     result.text += piece;
                                     return true;
                                 },
                                 &errorHead});
    result.outcome = judgeConversion(code, errorHead);
    return result;
}

} // namespace

TEST(Converter, ExitCodesAndTheFirstErrorLineTellTheOutcome)
{
    EXPECT_EQ(judgeConversion(0, {}), ConversionOutcome::Converted);
    EXPECT_EQ(judgeConversion(0, "Syntax Error: Loop in Pages tree\n"), ConversionOutcome::Damaged);
    EXPECT_EQ(judgeConversion(kProcessTimedOut, {}), ConversionOutcome::TimedOut);
    EXPECT_EQ(judgeConversion(kProcessOutOfMemory, {}), ConversionOutcome::OutOfMemory);
    EXPECT_EQ(judgeConversion(1, "Command Line Error: Incorrect password\n"),
              ConversionOutcome::NeedsPassword);
    EXPECT_EQ(judgeConversion(3, {}), ConversionOutcome::NeedsPassword);
    EXPECT_EQ(judgeConversion(1, "Syntax Error: Couldn't read xref table\n"),
              ConversionOutcome::Damaged);
    EXPECT_EQ(judgeConversion(99, {}), ConversionOutcome::Damaged);
    EXPECT_EQ(judgeConversion(kProcessCrashed, {}), ConversionOutcome::Stopped);
    EXPECT_EQ(judgeConversion(kProcessNotExecutable, {}), ConversionOutcome::Stopped);
    EXPECT_EQ(judgeConversion(kProcessCancelled, {}), ConversionOutcome::Cancelled);
}

TEST(Converter, TheInstalledConverterIsUsedWhereItIsAndAMissingOneIsNamed)
{
    const ScopedEnv perFile("ORVANTA_CONVERTER", "pdftotext");
    const Result<Converter> installed = Converter::locate();
    ASSERT_TRUE(installed.ok());
    EXPECT_TRUE(installed->program().endsWith(QStringLiteral("/pdftotext")));

    {
        // Without the workers a password has no safe way in: it is not put on a command line.
        const ScopedEnv noWorker("ORVANTA_CONVERT_WORKER", "/nonexistent/orvanta-convert");
        EXPECT_EQ(convert(fixture("user-password.pdf"), QStringLiteral("open sesame")).outcome,
                  ConversionOutcome::NoSafeConverter);
    }

    const NoConverter none;
    const Result<Converter> missing = Converter::locate();
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), QLatin1String(kConverterMissing));
}

// What the real converter makes of each kind of file.
TEST(Converter, PdfsOfEveryKindGetTheirOutcome)
{
    const Converted text = convert(fixture("text-b.pdf"));
    EXPECT_EQ(text.outcome, ConversionOutcome::Converted);
    EXPECT_TRUE(text.text.startsWith("The quick brown fox waits"));
    EXPECT_EQ(text.text.count('\f'), 2);

    EXPECT_EQ(convert(fixture("user-password.pdf")).outcome, ConversionOutcome::NeedsPassword);
    const Converted opened = convert(fixture("user-password.pdf"), QStringLiteral("open sesame"));
    EXPECT_EQ(opened.outcome, ConversionOutcome::Converted);
    EXPECT_TRUE(opened.text.contains("The secret garden opens at noon."));
    EXPECT_EQ(convert(fixture("user-password.pdf"), QStringLiteral("wrong")).outcome,
              ConversionOutcome::NeedsPassword);

    for (const char *damaged : {"damaged.pdf", "empty.pdf", "not-a-pdf.pdf", "looping-pages.pdf"})
        EXPECT_EQ(convert(fixture(damaged)).outcome, ConversionOutcome::Damaged) << damaged;
    EXPECT_EQ(convert(fixture("-leading-dash.pdf")).outcome, ConversionOutcome::Converted);
}

TEST(Converter, AConverterThatCrashesHasStopped)
{
    const FakeConverter crashing(QStringLiteral("echo part of a text\nkill -SEGV $$"));
    const Converted crashed = convert(fixture("text-a.pdf"));
    EXPECT_EQ(crashed.outcome, ConversionOutcome::Stopped);
}

// The conversion workers

namespace {

// A stand-in worker speaking the workers' protocol: it answers "text of NAME\n" in a text
// record, crashes on a PDF whose name holds "crash", hangs on one whose name holds "hang" and
// sends text without end for one whose name holds "flood".
QString fakeWorker(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("fake-worker"));
    writeFile(path, "#!/usr/bin/env python3\n"
                    "import os, signal, sys, time\n"
                    "while True:\n"
                    "    header = sys.stdin.buffer.readline()\n"
                    "    if not header: break\n"
                    "    lengths = [int(n) for n in header.split()[-2:]]\n"
                    "    path = sys.stdin.buffer.read(lengths[0]).decode()\n"
                    "    sys.stdin.buffer.read(lengths[1])\n"
                    "    if 'crash' in path: os.kill(os.getpid(), signal.SIGSEGV)\n"
                    "    if 'hang' in path: time.sleep(600)\n"
                    "    while 'flood' in path:\n"
                    "        sys.stdout.buffer.write(b't 6\\nflood\\n')\n"
                    "    text = ('text of ' + os.path.basename(path) + '\\n').encode()\n"
                    "    sys.stdout.buffer.write(b't %d\\n' % len(text) + text + b's 0\\n')\n"
                    "    sys.stdout.buffer.flush()\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

// Adopted because it gives pdftotext's bytes without a process start per file: checked on every
// fixture, passwords and odd names included. A page tree that loops is damage to both.
TEST(ConverterWorkers, GivePdftotextsVeryTextAndOutcome)
{
    const Result<Converter> workers = Converter::locate();
    ASSERT_TRUE(workers.ok());
    ASSERT_TRUE(workers->program().endsWith(QStringLiteral("orvanta-convert")));

    QStringList pdfs = oddNamedFixtures();
    for (const char *name : {"text-a.pdf", "text-b.pdf", "scanned-3.pdf", "scanned-12.pdf",
                             "user-password.pdf", "owner-only.pdf", "damaged.pdf", "empty.pdf",
                             "not-a-pdf.pdf", "control-chars.pdf", "looping-pages.pdf"})
        pdfs << fixture(name);
    for (const QString &pdf : pdfs) {
        for (const QString &password :
             {QString(), QStringLiteral("open sesame"), QStringLiteral("x")}) {
            const Converted mine = convertWith(*workers, pdf, password);
            const Converted theirs = pdftotext(pdf, password);
            EXPECT_EQ(mine.outcome, theirs.outcome)
                << pdf.toStdString() << " " << password.toStdString();
            EXPECT_EQ(mine.text, theirs.text) << pdf.toStdString();
        }
    }
}

// Any local user reads a command line in ps: a password reaches converters through a pipe only,
// even when pdftotext converts the rest, and pages are drawn for OCR the same way.
TEST(ConverterWorkers, NoChildEverHasThePasswordOnItsCommandLine)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("command-lines"));
    const auto logging = [&](const QString &name, const QString &real) {
        const QString path = dir.filePath(name);
        writeFile(path,
                  QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$0 $*\" >> '%1'\nexec '%2' \"$@\"\n")
                      .arg(log, real)
                      .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    };
    const ScopedEnv worker(
        "ORVANTA_CONVERT_WORKER",
        logging(QStringLiteral("orvanta-convert"), qEnvironmentVariable("ORVANTA_CONVERT_WORKER"))
            .toUtf8());
    const ScopedEnv path("PATH", (dir.path() + QLatin1Char(':') + qgetenv("PATH")).toUtf8());
    logging(QStringLiteral("pdftotext"),
            QStandardPaths::findExecutable(QStringLiteral("pdftotext")));
    const ScopedEnv perFile("ORVANTA_CONVERTER", "pdftotext");
    const Result<Converter> converter = Converter::locate();
    ASSERT_TRUE(converter.ok());

    const QString secret = QStringLiteral("open sesame");
    const QString locked = fixture("user-password.pdf");
    EXPECT_TRUE(convertWith(*converter, locked, secret).text.contains("secret garden"));
    EXPECT_EQ(convertWith(*converter, fixture("text-a.pdf")).outcome, ConversionOutcome::Converted);
    const RecognitionRequest request{locked, secret, {QStringLiteral("eng")}, {}};
    const Result<GrayImage> drawn = PageDrawer().draw(request, 1, {});
    EXPECT_TRUE(drawn.ok()) << drawn.error().toStdString();

    const QByteArray commandLines = readFile(log);
    EXPECT_TRUE(commandLines.contains("pdftotext")) << commandLines.constData();
    EXPECT_TRUE(commandLines.contains("orvanta-convert")) << commandLines.constData();
    EXPECT_FALSE(commandLines.contains("sesame")) << commandLines.constData();
}

TEST(ConverterWorkers, AWorkerThatCrashesFailsOnlyItsPdfAndOneThatHangsIsStopped)
{
    QTemporaryDir dir;
    const ScopedEnv worker("ORVANTA_CONVERT_WORKER", fakeWorker(dir).toUtf8());
    const Result<Converter> converter = Converter::locate();
    ASSERT_TRUE(converter.ok());
    EXPECT_EQ(convertWith(*converter, QStringLiteral("/a.pdf")).text,
              QByteArray("text of a.pdf\n"));
    EXPECT_EQ(convertWith(*converter, QStringLiteral("/crash.pdf")).outcome,
              ConversionOutcome::Stopped);
    EXPECT_EQ(convertWith(*converter, QStringLiteral("/b.pdf")).text,
              QByteArray("text of b.pdf\n"));

    std::stop_source stop;
    std::thread stopper([&] {
        QThread::msleep(300);
        stop.request_stop();
    });
    const ConversionOutcome hung = converter->convert(
        QStringLiteral("/hang.pdf"), {}, {}, [](QByteArrayView) { return true; }, stop.get_token());
    stopper.join();
    EXPECT_EQ(hung, ConversionOutcome::Cancelled);
    EXPECT_EQ(convertWith(*converter, QStringLiteral("/c.pdf")).text,
              QByteArray("text of c.pdf\n"));

    const ConversionLimits briefly{std::chrono::milliseconds(300),
                                   ConversionLimits::kDefaultMemory};
    EXPECT_EQ(convertWith(*converter, QStringLiteral("/hang.pdf"), {}, briefly).outcome,
              ConversionOutcome::TimedOut);
    EXPECT_EQ(convertWith(*converter, QStringLiteral("/flood.pdf"), {}, briefly).outcome,
              ConversionOutcome::TimedOut);
    EXPECT_EQ(convertWith(*converter, QStringLiteral("/d.pdf")).text,
              QByteArray("text of d.pdf\n"));
}

// Limits: a hostile PDF of forms drawing forms (50^7 draws) never finishes and fills memory
// as it goes. Its first page arrives before it is stopped, as the worker sends each page when
// it is done.
TEST(ConverterWorkers, APdfPastItsLimitsIsStoppedAndTheWorkersGoOn)
{
    const Result<Converter> workers = Converter::locate();
    ASSERT_TRUE(workers.ok());
    const QString hostile = fixture("nested-forms.pdf");
    const Converted slow = convertWith(*workers, hostile, {},
                                       {std::chrono::seconds(1), ConversionLimits::kDefaultMemory});
    EXPECT_EQ(slow.outcome, ConversionOutcome::TimedOut);
    EXPECT_EQ(slow.text, QByteArray("This page comes before the nested forms.\n\n\f"));
    if (kMemoryCapsHold) {
        const Converted greedy = convertWith(
            *workers, hostile, {}, {std::chrono::seconds(120), ConversionLimits::kLeastMemory});
        EXPECT_EQ(greedy.outcome, ConversionOutcome::OutOfMemory);
    }
    EXPECT_EQ(convertWith(*workers, fixture("text-a.pdf")).outcome, ConversionOutcome::Converted);

    const ScopedEnv perFile("ORVANTA_CONVERTER", "pdftotext");
    const Result<Converter> pdftotext = Converter::locate();
    EXPECT_EQ(convertWith(*pdftotext, hostile, {},
                          {std::chrono::seconds(1), ConversionLimits::kDefaultMemory})
                  .outcome,
              ConversionOutcome::TimedOut);
}
