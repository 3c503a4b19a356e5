// Times finding every occurrence of a phrase in a counted text, as the explorer's "Where it
// occurs" does: the text is counted once at lengths 2 and 4, then the finder looks for the most
// frequent phrase of each length, a phrase seen only twice, and any phrases given.
//
// usage: bench_occurrences TEXT [ROUNDS [PHRASE...]]   (default 5 rounds)
//
// TEXT is read as a plain text file, its pages separated by form feeds. A text of about 4,700
// pages: python3 bench/make_corpus.py 2087000 -o bench/out/zipf-4700.txt

#include "documents/TextStore.h"
#include "run/CountingRun.h"
#include "run/OccurrenceFinder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace orvanta;

constexpr double kTarget = 0.2;

class CollectingHost final : public CountingRunHost, public ErrorSink {
public:
    void showNotice(const QString &) override {}
    QString askPassword(const QString &) override { return {}; }
    void reportProgress(const RunProgress &) override {}
    void report(const ErrorReport &report) override
    {
        std::fprintf(stderr, "bench_occurrences: %s\n", qPrintable(report.message()));
        std::exit(1);
    }
};

// Pages begin at the start of the text and after every form feed; a text that opens with a
// form feed, as bench/make_corpus.py writes them, has no page before it.
qsizetype pagesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_occurrences: cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    qsizetype pages = file.peek(1) == "\f" ? 0 : 1;
    while (!file.atEnd())
        pages += file.read(1 << 20).count('\f');
    return pages;
}

// The most frequent phrase of each length, and one seen only twice.
QStringList choosePhrases(const PhraseResults &results)
{
    QStringList chosen;
    for (const int length : {2, 4}) {
        qsizetype most = -1;
        for (qsizetype row = 0; row < results.size(); ++row) {
            if (results.wordCount(row) == length &&
                (most < 0 || results.frequency(row) > results.frequency(most)))
                most = row;
        }
        if (most >= 0)
            chosen << results.row(most).phrase;
    }
    for (qsizetype row = 0; row < results.size(); ++row) {
        if (results.wordCount(row) == 4 && results.frequency(row) == 2) {
            chosen << results.row(row).phrase;
            break;
        }
    }
    return chosen;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::fputs("usage: bench_occurrences TEXT [ROUNDS [PHRASE...]]\n", stderr);
        return 2;
    }
    const QString text = arguments[1];
    const int rounds = arguments.size() > 2 ? std::max(1, arguments[2].toInt()) : 5;

    CollectingHost host;
    TextStore store;
    CountingRun run(host, host, store, {});
    CountingRunOptions options;
    options.readsAsText = [](const QString &) { return true; };
    const RunOutcome outcome = run.run({text}, {2, 4}, options);
    const QStringList phrases =
        arguments.size() > 3 ? arguments.mid(3) : choosePhrases(outcome.phrases);
    std::printf("%s: %lld pages, %lld repeated phrases of 2 and 4 words\n", qPrintable(text),
                static_cast<long long>(pagesOf(text)),
                static_cast<long long>(outcome.phrases.size()));

    const OccurrenceFinder finder(store, options.text);
    bool met = true;
    for (const QString &phrase : phrases) {
        std::vector<double> times;
        size_t found = 0;
        for (int round = 0; round < rounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            found = finder.find(outcome.sources, phrase).found.size();
            times.push_back(double(timer.nsecsElapsed()) / 1e9);
        }
        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        met = met && median < kTarget;
        std::printf("%-40s %7zu occurrences   min %.3f s   median %.3f s\n",
                    qPrintable(QLatin1Char('"') + phrase + QLatin1Char('"')), found, times.front(),
                    median);
    }
    std::printf("every median under %.1f s: %s\n", kTarget, met ? "met" : "MISSED");
    return 0;
}
