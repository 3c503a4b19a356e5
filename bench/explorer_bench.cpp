// Times the explorer's sorted and filtered view of a million results (or ROWS), each step until
// a tree view showing the rows has painted: sorting by every column both ways, filtering as a
// user types a word letter by letter and takes it back, the lower bounds, wildcards and a
// regular expression, hiding phrases inside longer ones and stop-word phrases, ticking all
// shown, unticking all and removing every other row in one batch.
//
// usage: bench_explorer [ROUNDS [ROWS | TEXT]]
//   ROWS   made-up distinct phrases of three words (default 1,000,000)
//   TEXT   a text file whose repeated phrases of two to five words are the results instead,
//          every 50 pages (form feeds) counted as one file; bench/make_corpus.py writes one
// (default 5 rounds; runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise)

#include "PaintCountingView.h"
#include "ResultsGenerator.h"
#include "phrases/PhraseTable.h"
#include "results/ResultsFilterModel.h"
#include "results/ResultsModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using orvanta::ResultsFilterModel;
using orvanta::bench::PaintCountingView;
using orvanta::bench::secondsOf;
using orvanta::bench::waitForPaint;

constexpr double kTarget = 0.3;

struct Figure {
    double call = 0;  // the model's own work
    double shown = 0; // until the view has painted the outcome
};

class Bench {
public:
    Bench(ResultsFilterModel &model, PaintCountingView &view)
        : m_model(model)
        , m_view(view)
    {
    }

    void time(const std::string &label, const std::function<void()> &step)
    {
        const int paints = m_view.paints();
        QElapsedTimer timer;
        timer.start();
        step();
        const double call = secondsOf(timer);
        m_view.viewport()->update();
        waitForPaint(m_view, paints);
        m_figures[label].push_back({call, secondsOf(timer)});
    }

    void sorts()
    {
        static const char *const names[] = {"phrase", "words", "frequency", "files"};
        for (int column = 0; column < ResultsFilterModel::ColumnCount; ++column) {
            for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                const std::string label = std::string("sort by ") + names[column] +
                                          (order == Qt::AscendingOrder ? ", up" : ", down");
                time(label, [&] { m_model.sort(column, order); });
            }
        }
    }

    // One keystroke at a time, as the filter box hands them over.
    void typing(const QString &word)
    {
        for (qsizetype length = 1; length <= word.size(); ++length)
            time("filter: type a letter", [&] { m_model.setFilter({word.left(length)}); });
        for (qsizetype length = word.size() - 1; length >= 0; --length)
            time("filter: take a letter back", [&] { m_model.setFilter({word.left(length)}); });
        time("filter: frequency at least 2500", [&] { m_model.setFilter({{}, 2500, 0}); });
        time("filter: files at least 20", [&] { m_model.setFilter({{}, 2500, 20}); });
        time("filter: bounds back to none", [&] { m_model.setFilter({}); });
    }

    // The hiding choices over every row; the closed phrases are found on the first.
    void hiding()
    {
        time("filter: wildcards", [&] { m_model.setFilter({QStringLiteral("d*e ?")}); });
        time("filter: regular expression", [&] {
            m_model.setFilter({QStringLiteral("^de.d c"), 0, 0, true});
        });
        m_model.setFilter({});
        const auto stopWords = std::make_shared<const orvanta::StopWords>(
            orvanta::StopWords::fromText("the of a and to in is it that on for as with by able "
                                         "acid aged also area army away baby back ball"));
        using orvanta::StopWordMode;
        time("hide inside longer", [&] { m_model.setRefinement({true, nullptr}); });
        time("hide stop words only", [&] {
            m_model.setRefinement({false, stopWords, StopWordMode::OnlyStopWords});
        });
        time("hide stop words at an edge", [&] {
            m_model.setRefinement({false, stopWords, StopWordMode::StopWordAtEdge});
        });
        time("hide nothing", [&] { m_model.setRefinement({}); });
    }

    void batches()
    {
        time("tick all shown", [&] { m_model.tickAllShown(); });
        time("untick all", [&] { m_model.untickAll(); });
        std::vector<int> everyOther;
        for (int row = 0; row < m_model.rowCount(); row += 2)
            everyOther.push_back(row);
        time("remove every other row", [&] { m_model.removeShownRows(everyOther); });
    }

    // The slowest round's figure for each step, and the median.
    bool report() const
    {
        bool met = true;
        std::printf("%-34s %12s %12s %12s\n", "", "model (med)", "shown (med)", "shown (max)");
        for (const auto &[label, figures] : m_figures) {
            std::vector<double> calls, shown;
            for (const Figure &figure : figures) {
                calls.push_back(figure.call);
                shown.push_back(figure.shown);
            }
            std::sort(calls.begin(), calls.end());
            std::sort(shown.begin(), shown.end());
            std::printf("%-34s %10.3f s %10.3f s %10.3f s\n", label.c_str(),
                        calls[calls.size() / 2], shown[shown.size() / 2], shown.back());
            met = met && shown[shown.size() / 2] < kTarget;
        }
        return met;
    }

private:
    ResultsFilterModel &m_model;
    PaintCountingView &m_view;
    std::map<std::string, std::vector<Figure>> m_figures;
};

// The repeated phrases of the text, as a counting run would list them.
orvanta::PhraseResults countText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_explorer: cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    orvanta::PhraseTable table({2, 3, 4, 5});
    int pages = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.startsWith('\f') && ++pages % 50 == 0)
            table.beginDocument();
        table.countLine(QByteArrayView(line).trimmed());
    }
    orvanta::PhraseResults results = table.extractRepeatedPhrases();
    results.sortForDisplay();
    return results;
}

orvanta::PhraseResults makeResults(const char *argument)
{
    if (!argument)
        return orvanta::bench::makeResults(1'000'000);
    char *end = nullptr;
    const long rows = std::strtol(argument, &end, 10);
    if (*end == '\0')
        return orvanta::bench::makeResults(int(std::clamp(rows, 1L, 100'000'000L)));
    return countText(QString::fromLocal8Bit(argument));
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int roundCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const orvanta::PhraseResults results = makeResults(argc > 2 ? argv[2] : nullptr);
    orvanta::ResultsModel list;
    ResultsFilterModel model(list);
    PaintCountingView view;
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.resize(1000, 700);
    view.show();
    waitForPaint(view, 0);

    Bench bench(model, view);
    for (int round = 0; round < roundCount; ++round) {
        model.setFilter({});
        bench.time("new results: order and show", [&] { list.setResults(results); });
        bench.sorts();
        model.sort(ResultsFilterModel::FrequencyColumn, Qt::AscendingOrder);
        bench.typing(QStringLiteral("dead c"));
        bench.hiding();
        bench.batches();
    }
    std::printf("%d rounds, %lld rows, platform %s\n", roundCount,
                static_cast<long long>(results.size()), qPrintable(QApplication::platformName()));
    const bool met = bench.report();
    std::printf("every median under %.1f s: %s\n", kTarget, met ? "met" : "MISSED");
    return 0;
}
