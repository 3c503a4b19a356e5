// Times what makes a results list worth reading, on the repeated phrases of real texts: hiding
// phrases inside a longer one with the same frequency (target under 0.5 s for the 2-19 results
// of the manuals, and for their rows of 3 and 12 words alone, whose parts in between are not
// listed), and hiding stop-word phrases in both modes over a million rows (target under 0.2 s
// each).
//
// usage: bench_lists TEXT_FOLDER [ROUNDS]   (default 5 rounds; the median is compared)
//
// TEXT_FOLDER holds plain texts (*.txt), such as the manuals' texts that
// bench/realtext/build-sets.sh makes in its cache: sets/manuals/text. They are counted once at
// lengths 2 to 19. The million rows for the stop words are the first million rows of the results
// (taken again from the start when there are fewer).

#include "BenchTiming.h"
#include "documents/TextStore.h"
#include "results/ClosedPhrases.h"
#include "results/StopWords.h"
#include "run/CountingRun.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

using namespace orvanta;

constexpr double kClosedTarget = 0.5;
constexpr double kStopTarget = 0.2;
constexpr std::size_t kStopRows = 1'000'000;

class CollectingHost final : public CountingRunHost, public ErrorSink {
public:
    void showNotice(const QString &) override {}
    QString askPassword(const QString &) override { return {}; }
    void reportProgress(const RunProgress &) override {}
    void report(const ErrorReport &report) override { bench::fail(report.message()); }
};

PhraseResults countedPhrases(const QString &folder)
{
    QStringList texts;
    for (const QFileInfo &entry :
         QDir(folder).entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        texts << entry.absoluteFilePath();
    if (texts.isEmpty())
        bench::fail(QStringLiteral("no texts in %1").arg(folder));
    CollectingHost host;
    TextStore store;
    CountingRun run(host, host, store, {});
    CountingRunOptions options;
    options.readsAsText = [](const QString &) { return true; };
    std::vector<int> lengths(18);
    std::iota(lengths.begin(), lengths.end(), 2);
    RunOutcome outcome;
    const double seconds = bench::secondsOf([&] { outcome = run.run(texts, lengths, options); });
    std::printf("%lld texts counted at lengths 2-19 in %.1f s: %lld repeated phrases\n",
                static_cast<long long>(texts.size()), seconds,
                static_cast<long long>(outcome.phrases.size()));
    return std::move(outcome.phrases);
}

template <typename Body> double medianSeconds(int rounds, Body &&body)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round)
        times.push_back(bench::secondsOf(body));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool report(const char *what, double median, double target)
{
    const bool met = median < target;
    std::printf("%-46s median %.3f s   target < %.1f s   %s\n", what, median, target,
                met ? "met" : "MISSED");
    return met;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: bench_lists TEXT_FOLDER [ROUNDS]\n", stderr);
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    try {
        const PhraseResults results = countedPhrases(QString::fromLocal8Bit(argv[1]));
        std::vector<std::uint32_t> all(size_t(results.size()));
        std::iota(all.begin(), all.end(), 0u);

        std::size_t hidden = 0;
        const double closed = medianSeconds(rounds, [&] {
            const std::vector<bool> inside = phrasesInsideLonger(all, results);
            hidden = size_t(std::count(inside.begin(), inside.end(), true));
        });
        std::printf("closed phrases: %zu of %zu rows hidden\n", hidden, all.size());
        bool met = report("closed phrases, all rows", closed, kClosedTarget);
        // Lengths far apart: the parts in between are not listed and are followed instead.
        std::vector<std::uint32_t> farApart;
        for (const std::uint32_t id : all) {
            if (results.wordCount(qsizetype(id)) == 3 || results.wordCount(qsizetype(id)) == 12)
                farApart.push_back(id);
        }
        const double apart = medianSeconds(rounds, [&] {
            const std::vector<bool> inside = phrasesInsideLonger(farApart, results);
            hidden = size_t(std::count(inside.begin(), inside.end(), true));
        });
        std::printf("closed phrases, lengths 3 and 12 only: %zu of %zu rows hidden\n", hidden,
                    farApart.size());
        met = report("closed phrases, lengths 3 and 12", apart, kClosedTarget) && met;

        const Result<StopWords> english =
            StopWords::fromFile(QStringLiteral(ORVANTA_STOP_LISTS "/en.txt"));
        if (!english.ok())
            bench::fail(english.error());
        std::vector<std::uint32_t> million(kStopRows);
        for (std::size_t row = 0; row < kStopRows; ++row)
            million[row] = std::uint32_t(row % all.size());
        for (const auto &[mode, name] :
             {std::pair{StopWordMode::OnlyStopWords, "stop words only, a million rows"},
              std::pair{StopWordMode::StopWordAtEdge, "stop word at an edge, a million rows"}}) {
            std::size_t kept = 0;
            const double seconds = medianSeconds(rounds, [&] {
                kept = withoutStopPhrases(million, results, *english, mode).size();
            });
            std::printf("%s: %zu rows kept\n", name, kept);
            met = report(name, seconds, kStopTarget) && met;
        }
        return met ? 0 : 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_lists: %s\n", error.what());
        return 2;
    }
}
