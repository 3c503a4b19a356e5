// What per-file counts cost: a counting run over text files (as orvanta-count reads text
// inputs) and the writing of its rows into memory, in three forms:
// - plain: phrase, words, frequency;
// - by file: one row per phrase and file it occurs in (phrase, words, file, frequency);
// - dispersion: phrase, words, frequency, per_million, dp.
// The last two count with per-file counts; target at most 1.3 times the plain run. The modes
// take turns for ROUNDS rounds (default 5) and each one's median is printed.
// With --plot, the counted words are kept and the positions of one phrase in every file are
// found, as a dispersion plot needs them: the phrase is the one with most files among those seen
// 5,000 to 20,000 times (else the most frequent); target under 0.3 s with the drawing.
//
// usage: bench_measures [-l LENGTHS] [-r ROUNDS] [--plot] PATH...
//        PATH: a text file, or a folder whose *.txt files are read in name order

#include "base/ErrorReport.h"
#include "documents/TextStore.h"
#include "phrases/CorpusMeasures.h"
#include "phrases/LengthList.h"
#include "phrases/PhraseTable.h"
#include "run/CountingRun.h"

#include "BenchTiming.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace orvanta;
using orvanta::bench::fail;
using orvanta::bench::secondsOf;

constexpr double kTarget = 1.3;
constexpr double kPlotTarget = 0.3;

class QuietHost final : public CountingRunHost, public ErrorSink {
public:
    void showNotice(const QString &) override {}
    QString askPassword(const QString &) override { return {}; }
    void reportProgress(const RunProgress &) override {}
    void report(const ErrorReport &report) override { fail(report.message()); }
};

enum class Mode { Plain, ByFile, Dispersion };
constexpr Mode kModes[] = {Mode::Plain, Mode::ByFile, Mode::Dispersion};
const char *const kModeNames[] = {"plain", "by file", "dispersion"};

struct Settings {
    std::vector<int> lengths{2, 3, 4, 5};
    int rounds = 5;
    bool plot = false;
    QStringList paths;
};

void appendNumber(std::string &out, std::uint64_t number)
{
    out += std::to_string(number);
}

void appendPhrase(std::string &out, const PhraseResults &results, qsizetype row)
{
    out.append(results.phraseUtf8(row));
    out += '\t';
    appendNumber(out, std::uint64_t(results.wordCount(row)));
    out += '\t';
}

// The rows as the chosen form writes them, into a buffer handed on at each megabyte as
// orvanta-count does; the text's size, so that nothing is left out. File names are encoded once
// each.
std::size_t writeRows(Mode mode, const PhraseResults &results, const RunOutcome &outcome)
{
    constexpr std::size_t kChunk = 1 << 20;
    std::string out;
    out.reserve(kChunk + 4096);
    std::size_t written = 0;
    const auto handOn = [&] {
        if (out.size() >= kChunk) {
            written += out.size();
            out.clear();
        }
    };
    const CorpusSize &corpus = outcome.corpus;
    std::vector<std::string> fileNames;
    if (mode == Mode::ByFile) {
        for (const CountedSource &source : outcome.sources)
            fileNames.push_back(source.path.toStdString());
    }
    for (qsizetype row = 0; row < results.size(); ++row) {
        if (mode == Mode::ByFile) {
            for (const FileCount &count : results.fileCounts(row)) {
                appendPhrase(out, results, row);
                out += fileNames[count.file];
                out += '\t';
                appendNumber(out, count.frequency);
                out += '\n';
                handOn();
            }
            continue;
        }
        appendPhrase(out, results, row);
        appendNumber(out, std::uint64_t(results.frequency(row)));
        if (mode == Mode::Dispersion) {
            out += '\t';
            out += fourDecimals(perMillion(std::uint64_t(results.frequency(row)), corpus.words));
            out += '\t';
            out += fourDecimals(deviationOfProportions(results.fileCounts(row), corpus));
        }
        out += '\n';
        handOn();
    }
    return written + out.size();
}

// Processor time of the whole process so far: less disturbed than wall time by the work of
// others on a shared machine.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Measured {
    double seconds = 0;         // counting and writing
    double countingSeconds = 0; // the run alone
    double cpuSeconds = 0;      // counting and writing
    RunOutcome outcome;
    PhraseResults results;
};

Measured runOnce(const Settings &settings, Mode mode, bool keepWords)
{
    QuietHost host;
    TextStore store;
    CountingRun run(host, host, store, QStringLiteral("bench"));
    CountingRunOptions options;
    options.readsAsText = [](const QString &) { return true; };
    options.countsPerFile = mode != Mode::Plain;
    options.keepCountedWords = keepWords;
    Measured measured;
    std::size_t written = 0;
    const double cpuBefore = cpuSeconds();
    measured.countingSeconds =
        secondsOf([&] { measured.outcome = run.run(settings.paths, settings.lengths, options); });
    measured.seconds = measured.countingSeconds + secondsOf([&] {
                           written = writeRows(mode, measured.outcome.phrases, measured.outcome);
                       });
    measured.cpuSeconds = cpuSeconds() - cpuBefore;
    if (!measured.outcome.failures.empty())
        fail(QStringLiteral("cannot read %1").arg(measured.outcome.failures.front().path));
    if (written == 0 && measured.outcome.phrases.size() > 0)
        fail(QStringLiteral("nothing written"));
    measured.results = std::move(measured.outcome.phrases);
    return measured;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The row the plot is timed on.
qsizetype plottedRow(const PhraseResults &results)
{
    qsizetype best = -1;
    for (qsizetype row = 0; row < results.size(); ++row) {
        const int frequency = results.frequency(row);
        if (frequency >= 5000 && frequency <= 20000 &&
            (best < 0 || results.files(row) > results.files(best)))
            best = row;
    }
    if (best >= 0 || results.isEmpty())
        return best;
    return results.size() - 1; // the most frequent: rows ascend by frequency
}

void timePlot(const Settings &settings)
{
    const Measured measured = runOnce(settings, Mode::ByFile, true);
    const qsizetype row = plottedRow(measured.results);
    if (row < 0)
        fail(QStringLiteral("no phrase to plot"));
    const std::string_view phrase = measured.results.phraseUtf8(row);
    const std::span<const FileCount> files = measured.results.fileCounts(row);
    std::vector<double> hinted, whole;
    std::size_t found = 0;
    for (int round = 0; round < settings.rounds; ++round) {
        hinted.push_back(secondsOf(
            [&] { found = measured.outcome.countedWords->positionsOf(phrase, files).size(); }));
        whole.push_back(
            secondsOf([&] { (void)measured.outcome.countedWords->positionsOf(phrase); }));
    }
    if (found != std::size_t(measured.results.frequency(row)))
        fail(QStringLiteral("positions and frequency disagree"));
    std::printf("plot: \"%.*s\", %zu occurrences in %d of %llu files\n", int(phrase.size()),
                phrase.data(), found, measured.results.files(row),
                static_cast<unsigned long long>(measured.outcome.corpus.files));
    std::printf("  positions in its files  %8.4f s\n", median(hinted));
    std::printf("  positions in all files  %8.4f s   (target with drawing: under %.1f s)\n",
                median(whole), kPlotTarget);
}

QStringList textsIn(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return {path};
    QStringList texts;
    const auto entries =
        QDir(path).entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries)
        texts << entry.absoluteFilePath();
    return texts;
}

Settings parse(const QStringList &arguments)
{
    Settings settings;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("-l") && i + 1 < arguments.size()) {
            const Result<std::vector<int>> lengths = parseLengthRanges(arguments[++i]);
            if (!lengths.ok())
                fail(lengths.error());
            settings.lengths = *lengths;
        } else if (argument == QLatin1String("-r") && i + 1 < arguments.size()) {
            settings.rounds = std::max(1, arguments[++i].toInt());
        } else if (argument == QLatin1String("--plot")) {
            settings.plot = true;
        } else {
            settings.paths << textsIn(argument);
        }
    }
    if (settings.paths.isEmpty())
        fail(QStringLiteral(
            "usage: bench_measures [-l LENGTHS] [-r ROUNDS] [--plot] PATH...  (no texts given)"));
    return settings;
}

void timeModes(const Settings &settings)
{
    std::vector<double> seconds[std::size(kModes)];
    std::vector<double> counting[std::size(kModes)];
    std::vector<double> processor[std::size(kModes)];
    Measured last;
    for (int round = 0; round < settings.rounds; ++round) {
        for (const Mode mode : kModes) {
            last = runOnce(settings, mode, false);
            seconds[int(mode)].push_back(last.seconds);
            counting[int(mode)].push_back(last.countingSeconds);
            processor[int(mode)].push_back(last.cpuSeconds);
        }
    }
    const CorpusSize &corpus = last.outcome.corpus;
    std::size_t entries = 0;
    for (qsizetype row = 0; row < last.results.size(); ++row)
        entries += last.results.fileCounts(row).size();
    std::printf("%llu files, %llu words, %llu distinct words; %lld rows, %zu per-file counts "
                "(%.1f MiB)\n",
                static_cast<unsigned long long>(corpus.files),
                static_cast<unsigned long long>(corpus.words),
                static_cast<unsigned long long>(corpus.distinctWords),
                static_cast<long long>(last.results.size()), entries,
                double(entries * sizeof(FileCount) + (last.results.size() + 1) * 8) / 1048576.0);
    const double plain = median(seconds[int(Mode::Plain)]);
    const double plainCounting = median(counting[int(Mode::Plain)]);
    const double plainProcessor = median(processor[int(Mode::Plain)]);
    std::printf("  %-11s %18s %18s %18s\n", "", "count and write", "count alone", "processor time");
    for (const Mode mode : kModes) {
        const double time = median(seconds[int(mode)]);
        const double countingTime = median(counting[int(mode)]);
        const double processorTime = median(processor[int(mode)]);
        const char *verdict = mode == Mode::Plain       ? ""
                              : time / plain <= kTarget ? "  (target met)"
                                                        : "  (over target)";
        std::printf("  %-11s %8.3f s %5.2fx %8.3f s %5.2fx %8.3f s %5.2fx%s\n",
                    kModeNames[int(mode)], time, time / plain, countingTime,
                    countingTime / plainCounting, processorTime, processorTime / plainProcessor,
                    verdict);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        const Settings settings = parse(app.arguments());
        timeModes(settings);
        if (settings.plot)
            timePlot(settings);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_measures: %s\n", error.what());
        return 1;
    }
    return 0;
}
