// Compares every pair of a set of converted texts as the overlap of documents does: reads and
// indexes them once, compares them with stretches of 8 words, again with 12 words leaving out
// stretches found in more than 10% of the files, and opens two pairs side by side (the first
// ranked, and the two files with the most words). Prints each time, what was found and the peak
// memory of the process.
//
// usage: bench_overlap_once [--as-read] LIST
//
// LIST names one text file per line (pdftotext output, pages parted by form feeds), read as a
// run reads text files. --as-read turns every text option on.

#include "documents/TextStore.h"
#include "run/OverlapSearch.h"

#include "BenchTiming.h"

#include <QCoreApplication>
#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

using namespace orvanta;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double peakMebibytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

std::vector<CountedSource> sourcesListedIn(const QString &list)
{
    QFile file(list);
    if (!file.open(QIODevice::ReadOnly))
        bench::fail(QStringLiteral("cannot read %1").arg(list));
    std::vector<CountedSource> sources;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            sources.push_back({QString::fromUtf8(line), std::nullopt, true, {}});
    }
    if (sources.size() < 2)
        bench::fail(QStringLiteral("fewer than two files in %1").arg(list));
    return sources;
}

void printComparison(const char *what, const DocumentOverlap &overlap, double seconds)
{
    const std::vector<OverlapPair> &pairs = overlap.pairs();
    const auto atLeastTenth = std::count_if(pairs.begin(), pairs.end(), [](const auto &pair) {
        return std::max(pair.shareA(), pair.shareB()) >= 0.1;
    });
    std::printf("%-44s %7.3f s   %zu pairs, %td sharing at least a tenth\n", what, seconds,
                pairs.size(), atLeastTenth);
}

void printPair(const char *what, const OverlapTexts &texts, const DocumentOverlap &overlap,
               int first, int second)
{
    PairReading pair;
    const double seconds = bench::secondsOf([&] { pair = texts.readPair(overlap, first, second); });
    std::printf("%-44s %7.3f s   %lld + %lld lines, %zu + %zu stretches\n", what, seconds,
                static_cast<long long>(pair.first.lines.size()),
                static_cast<long long>(pair.second.lines.size()), pair.first.stretches.size(),
                pair.second.stretches.size());
}

int run(const QString &list, bool asRead)
{
    TextStore store;
    TextOptions options;
    options.joinWrappedLines = options.rejoinHyphenatedWords = options.dropRunningHeads =
        options.ignorePunctuation = options.normaliseCompatibility = asRead;
    std::vector<CountedSource> sources = sourcesListedIn(list);
    const auto files = int(sources.size());

    const double cpuBegin = cpuSeconds();
    std::shared_ptr<const OverlapTexts> texts;
    const double reading = bench::secondsOf(
        [&] { texts = OverlapTexts::read(OccurrenceFinder(store, options), std::move(sources)); });
    if (!texts->unavailable().isEmpty())
        bench::fail(QStringLiteral("not read: %1").arg(texts->unavailable().join(", ")));
    std::printf("%d files%s\n", files, asRead ? ", every text option on" : "");
    std::printf("%-44s %7.3f s\n", "read and index", reading);

    DocumentOverlap overlap;
    printComparison("compare, 8 words", overlap, bench::secondsOf([&] {
                        overlap = texts->compare({8, 100});
                    }));
    DocumentOverlap narrower;
    printComparison("compare again, 12 words, at most 10% of files", narrower,
                    bench::secondsOf([&] {
                        narrower = texts->compare({12, 10});
                    }));
    const double total = cpuSeconds() - cpuBegin;
    if (!overlap.pairs().empty())
        printPair("side by side: first ranked pair", *texts, overlap,
                  int(overlap.pairs().front().fileA), int(overlap.pairs().front().fileB));
    std::vector<int> longest(static_cast<std::size_t>(files));
    std::iota(longest.begin(), longest.end(), 0);
    std::partial_sort(longest.begin(), longest.begin() + 2, longest.end(),
                      [&](int a, int b) { return texts->wordsOf(a) > texts->wordsOf(b); });
    std::printf("the two longest files: %u and %u words\n", texts->wordsOf(longest[0]),
                texts->wordsOf(longest[1]));
    printPair("side by side: the two longest files", *texts, overlap, longest[0], longest[1]);
    std::printf("processor time to here %.2f s; peak memory %.0f MiB\n", total, peakMebibytes());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool asRead = arguments.removeAll(QStringLiteral("--as-read")) > 0;
    if (arguments.size() != 1) {
        std::fprintf(stderr, "usage: bench_overlap_once [--as-read] LIST\n");
        return 2;
    }
    try {
        return run(arguments.front(), asRead);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_overlap_once: %s\n", error.what());
        return 1;
    }
}
