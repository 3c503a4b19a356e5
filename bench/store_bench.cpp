// The text store at work, on a folder of PDFs, as the window uses it:
// - "Start Counting" right after the admission check, against counting the same texts alone
//   (the converter's output read as text files), both right after a check: target at most 1.3
//   times; the ratio to the texts counted alone on a warm heap is printed beside it;
// - a second count with other lengths: the conversions it starts (target none);
// - the peak memory of a run over the store, against counting the texts alone: target at most
//   50 MiB more. Each is measured in a process of its own (this program started again).
// Times are the least of three rounds.
//
// usage: bench_store FOLDER [LENGTHS]     (LENGTHS as orvanta-count takes them; default 2-5)
//        bench_store --peak store|text FOLDER LENGTHS     (one measured process; used by the above)

#include "base/ErrorReport.h"
#include "documents/TextStore.h"
#include "phrases/LengthList.h"
#include "run/AdmissionCheck.h"
#include "run/CountingRun.h"

#include "BenchTiming.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

using orvanta::bench::fail;
using orvanta::bench::pdfsIn;
using orvanta::bench::secondsOf;

using namespace orvanta;

constexpr double kStartTarget = 1.3;
constexpr double kMemoryTargetMiB = 50;
constexpr int kRounds = 3;

class QuietHost final : public CountingRunHost, public ErrorSink {
public:
    void showNotice(const QString &) override {}
    QString askPassword(const QString &) override { return {}; }
    void reportProgress(const RunProgress &) override {}
    void report(const ErrorReport &report) override { fail(report.message()); }
};

std::vector<int> lengthsOf(const QString &text)
{
    const auto lengths = parseLengthRanges(text);
    if (!lengths.ok())
        fail(lengths.error());
    return *lengths;
}

// The converter's output of every PDF, as text files in `scratch`.
QStringList convertedTexts(const QStringList &pdfs, const QString &scratch)
{
    const QString converter = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (converter.isEmpty())
        fail(QStringLiteral("pdftotext is not installed"));
    QStringList texts;
    for (const QString &pdf : pdfs) {
        const QString text =
            scratch + QStringLiteral("/%1.txt").arg(texts.size(), 4, 10, QLatin1Char('0'));
        QProcess conversion;
        conversion.setStandardErrorFile(QProcess::nullDevice());
        conversion.start(converter, {pdf, text});
        if (!conversion.waitForFinished(-1) || conversion.exitCode() != 0)
            fail(QStringLiteral("cannot convert %1").arg(pdf));
        texts << text;
    }
    return texts;
}

std::size_t countOnce(CountingRun &run, const QStringList &paths, const std::vector<int> &lengths,
                      bool asText)
{
    CountingRunOptions options;
    if (asText)
        options.readsAsText = [](const QString &) { return true; };
    const RunOutcome outcome = run.run(paths, lengths, options);
    if (!outcome.ran || !outcome.failures.empty())
        fail(QStringLiteral("the run did not count every file"));
    return std::size_t(outcome.phrases.size());
}

void admit(TextStore &store, const QStringList &pdfs)
{
    const AdmissionResult admitted = AdmissionCheck(store).check(pdfs);
    if (!admitted.converterProblem.isEmpty() || !admitted.rejected.isEmpty())
        fail(QStringLiteral("the admission check refused files"));
}

double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// One process: the texts counted alone, or the PDFs admitted and then counted from the store.
int measurePeak(const QString &mode, const QString &folder, const QString &lengthText)
{
    const QStringList pdfs = pdfsIn(folder, 2);
    const std::vector<int> lengths = lengthsOf(lengthText);
    QuietHost host;
    TextStore store;
    CountingRun run(host, host, store, QStringLiteral("bench"));
    if (mode == QLatin1String("text")) {
        QTemporaryDir scratch;
        countOnce(run, convertedTexts(pdfs, scratch.path()), lengths, true);
    } else {
        admit(store, pdfs);
        countOnce(run, pdfs, lengths, false);
    }
    std::printf("%.1f\n", peakMiB());
    return 0;
}

double peakOfChild(const QString &mode, const QString &folder, const QString &lengths)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--peak"), mode, folder, lengths});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        fail(QStringLiteral("the %1 measurement failed").arg(mode));
    return child.readAllStandardOutput().trimmed().toDouble();
}

const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

int benchmark(const QString &folder, const QString &lengthText)
{
    const QStringList pdfs = pdfsIn(folder, 2);
    const std::vector<int> lengths = lengthsOf(lengthText);
    const std::vector<int> otherLengths = lengthsOf(QStringLiteral("2-19"));
    QTemporaryDir scratch;
    const QStringList texts = convertedTexts(pdfs, scratch.path());

    // The machine is shared: each time is the least of three rounds, each with fresh stores.
    // The check leaves the heap given back to the system, so whatever is counted first after it
    // pays for its memory again: the texts alone are counted both warm and right after a check.
    double alone = 1e9, aloneAfterCheck = 1e9, check = 1e9, start = 1e9, second = 1e9;
    std::size_t textRows = 0, storeRows = 0;
    int conversionsAfterCheck = 0, firstRunConversions = 0, secondRunConversions = 0;
    for (int round = 0; round < kRounds; ++round) {
        QuietHost host;
        {
            TextStore store;
            CountingRun run(host, host, store, QStringLiteral("bench"));
            admit(store, pdfs);
            aloneAfterCheck =
                std::min(aloneAfterCheck, secondsOf([&] { countOnce(run, texts, lengths, true); }));
            alone = std::min(alone,
                             secondsOf([&] { textRows = countOnce(run, texts, lengths, true); }));
        }
        TextStore store;
        CountingRun run(host, host, store, QStringLiteral("bench"));
        check = std::min(check, secondsOf([&] { admit(store, pdfs); }));
        conversionsAfterCheck = store.conversions();
        start =
            std::min(start, secondsOf([&] { storeRows = countOnce(run, pdfs, lengths, false); }));
        firstRunConversions = store.conversions() - conversionsAfterCheck;
        second = std::min(second, secondsOf([&] { countOnce(run, pdfs, otherLengths, false); }));
        secondRunConversions = store.conversions() - conversionsAfterCheck;
    }
    if (storeRows != textRows)
        fail(QStringLiteral("the store's run gave %1 rows, the texts alone %2")
                 .arg(storeRows)
                 .arg(textRows));

    const double textPeak = peakOfChild(QStringLiteral("text"), folder, lengthText);
    const double storePeak = peakOfChild(QStringLiteral("store"), folder, lengthText);

    std::printf("%lld PDFs, lengths %s, %zu rows\n", static_cast<long long>(pdfs.size()),
                qPrintable(lengthText), storeRows);
    std::printf("admission check            %8.2f s (%d conversions)\n", check,
                conversionsAfterCheck);
    std::printf("counting the texts alone   %8.2f s\n", alone);
    std::printf("the texts alone, after a check %4.2f s\n", aloneAfterCheck);
    std::printf("counting after the check   %8.2f s  ratio %.2f to the texts alone, %.2f to the "
                "texts alone after a check  target <= %.1f  %s\n",
                start, start / alone, start / aloneAfterCheck, kStartTarget,
                verdict(start / aloneAfterCheck <= kStartTarget));
    std::printf("conversions in that run    %8d\n", firstRunConversions);
    std::printf("second count, lengths 2-19 %8.2f s  conversions %d  target 0  %s\n", second,
                secondRunConversions, verdict(secondRunConversions == 0));
    std::printf("peak memory: texts alone %.1f MiB, over the store %.1f MiB, difference %.1f MiB"
                "  target <= %.0f  %s\n",
                textPeak, storePeak, storePeak - textPeak, kMemoryTargetMiB,
                verdict(storePeak - textPeak <= kMemoryTargetMiB));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() == 4 && args[0] == QLatin1String("--peak"))
            return measurePeak(args[1], args[2], args[3]);
        if (args.size() == 1 || args.size() == 2)
            return benchmark(args[0], args.value(1, QStringLiteral("2-5")));
        std::fprintf(stderr, "usage: bench_store FOLDER [LENGTHS]\n");
        return 2;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_store: %s\n", error.what());
        return 1;
    }
}
