// Times the results list with a million rows (or ROWS): from handing the results to the model
// until the tree view has painted them, scrolling to the end and back, and removing one row.
//
// usage: bench_results_view [ROUNDS [ROWS]]   (default 5 rounds of 1,000,000 rows; runs on the
//                                             offscreen platform unless QT_QPA_PLATFORM says
//                                             otherwise)

#include "PaintCountingView.h"
#include "ResultsGenerator.h"
#include "phrases/PhraseResults.h"
#include "results/ResultsModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using orvanta::bench::PaintCountingView;
using orvanta::bench::secondsOf;
using orvanta::bench::waitForPaint;

int rowCount = 1'000'000;
constexpr int kScrollsPerRound = 10;
constexpr double kFillTarget = 1.0;

struct Round {
    double setResults = 0;
    double firstPaint = 0;
    double scrollTrip = 0;
    double removeRow = 0;
};

Round runRound(orvanta::ResultsModel &model, PaintCountingView &view,
               const orvanta::PhraseResults &results)
{
    Round round;
    model.clear();
    waitForPaint(view, view.paints());
    orvanta::PhraseResults copy = results;

    QElapsedTimer timer;
    const int paintsBefore = view.paints();
    timer.start();
    model.setResults(std::move(copy));
    round.setResults = secondsOf(timer);
    waitForPaint(view, paintsBefore);
    round.firstPaint = secondsOf(timer);
    if (view.verticalScrollBar()->maximum() < rowCount / 2) {
        std::fprintf(stderr, "bench_results_view: the view did not lay out the rows\n");
        std::exit(1);
    }

    timer.restart();
    for (int i = 0; i < kScrollsPerRound; ++i) {
        view.scrollToBottom();
        waitForPaint(view, view.paints());
        view.scrollToTop();
        waitForPaint(view, view.paints());
    }
    round.scrollTrip = secondsOf(timer) / kScrollsPerRound;

    timer.restart();
    model.removeRowAt(model.rowCount() / 2);
    waitForPaint(view, view.paints());
    round.removeRow = secondsOf(timer);
    return round;
}

template <typename Field>
void printFigure(const char *label, const std::vector<Round> &rounds, Field field)
{
    std::vector<double> values;
    for (const Round &round : rounds)
        values.push_back(field(round));
    std::sort(values.begin(), values.end());
    std::printf("%-42s min %.3f s   median %.3f s\n", label, values.front(),
                values[values.size() / 2]);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int roundCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (argc > 2)
        rowCount = std::clamp(std::atoi(argv[2]), 1, 100'000'000);

    QElapsedTimer build;
    build.start();
    const orvanta::PhraseResults results = orvanta::bench::makeResults(rowCount);
    std::printf("built %lld distinct phrases in %.3f s (not timed below)\n",
                static_cast<long long>(results.size()), secondsOf(build));

    orvanta::ResultsModel model;
    PaintCountingView view;
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.resize(1000, 700);
    view.show();
    waitForPaint(view, 0);

    std::vector<Round> rounds;
    for (int i = 0; i < roundCount; ++i)
        rounds.push_back(runRound(model, view, results));

    std::printf("%d rounds, %d rows, %d columns, platform %s\n", roundCount, rowCount,
                model.columnCount(), qPrintable(QApplication::platformName()));
    printFigure("setResults", rounds, [](const Round &r) { return r.setResults; });
    printFigure("setResults to first paint", rounds, [](const Round &r) { return r.firstPaint; });
    printFigure("scroll to end and back, painted", rounds,
                [](const Round &r) { return r.scrollTrip; });
    printFigure("remove a middle row, painted", rounds, [](const Round &r) { return r.removeRow; });

    std::vector<double> fills;
    for (const Round &round : rounds)
        fills.push_back(round.firstPaint);
    std::sort(fills.begin(), fills.end());
    const double typical = fills[fills.size() / 2];
    std::printf("%-42s %.3f s   target < %.1f s   %s\n", "median fill and show", typical,
                kFillTarget, typical < kFillTarget ? "met" : "MISSED");
    return 0;
}
