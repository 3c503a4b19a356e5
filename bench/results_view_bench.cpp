// Times the results list with a million rows (or ROWS): from handing the results to the model
// until the tree view has painted them, scrolling to the end and back, and removing one row.
//
// usage: bench_results_view [ROUNDS [ROWS]]   (default 5 rounds of 1,000,000 rows; runs on the
//                                             offscreen platform unless QT_QPA_PLATFORM says
//                                             otherwise)

#include "phrases/PhraseResults.h"
#include "results/ResultsModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int rowCount = 1'000'000;
constexpr int kScrollsPerRound = 10;
constexpr double kFillTarget = 1.0;

// Counts its paints so the benchmark can wait for the next one.
class PaintCountingView : public QTreeView {
public:
    int paints() const { return m_paints; }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QTreeView::paintEvent(event);
        ++m_paints;
    }

private:
    int m_paints = 0;
};

// Distinct phrases of three words (four beyond a million rows) in display order, as a run
// would hand them over.
orvanta::PhraseResults makeResults()
{
    static const std::array<const char *, 100> words = {
        "able", "acid", "aged", "also", "area", "army", "away", "baby", "back", "ball",
        "band", "bank", "base", "bath", "bear", "beat", "been", "beer", "bell", "belt",
        "best", "bill", "bird", "blow", "blue", "boat", "body", "bomb", "bond", "bone",
        "book", "boom", "born", "boss", "both", "bowl", "bulk", "burn", "bush", "busy",
        "call", "calm", "came", "camp", "card", "care", "case", "cash", "cast", "cell",
        "chat", "chip", "city", "club", "coal", "coat", "code", "cold", "come", "cook",
        "cool", "cope", "copy", "core", "cost", "crew", "crop", "dark", "data", "date",
        "dawn", "days", "dead", "deal", "dean", "dear", "debt", "deep", "deny", "desk",
        "dial", "diet", "disc", "disk", "does", "done", "door", "dose", "down", "draw",
        "drew", "drop", "drug", "dual", "duke", "dust", "duty", "each", "earn", "ease"};
    orvanta::PhraseResults results;
    std::string phrase;
    for (int i = 0; i < rowCount; ++i) {
        phrase.assign(words[size_t(i % 100)]);
        phrase.append(" ").append(words[size_t(i / 100 % 100)]);
        phrase.append(" ").append(words[size_t(i / 10000 % 100)]);
        const bool fourWords = i >= 1'000'000;
        if (fourWords)
            phrase.append(" ").append(words[size_t(i / 1'000'000 % 100)]);
        results.append(phrase, fourWords ? 4 : 3, 2 + int((unsigned(i) * 7919u) % 5000u));
    }
    results.sortForDisplay();
    return results;
}

void waitForPaint(const PaintCountingView &view, int paintsBefore)
{
    QElapsedTimer waited;
    waited.start();
    while (view.paints() == paintsBefore) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (waited.elapsed() > 60'000) {
            std::fprintf(stderr, "bench_results_view: the view did not paint within 60 s\n");
            std::exit(1);
        }
    }
}

double secondsOf(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

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
    const orvanta::PhraseResults results = makeResults();
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
