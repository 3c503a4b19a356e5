// Times opening a pair of files side by side, as the explorer's Documents tab opens one: from
// the request until both texts, with their shared stretches marked, have painted (the two texts
// read again off the window thread included), then going to the last shared stretch of each
// side, which lays out the whole text. Every pair of the given texts is opened, ROUNDS times.
// Target: under 1 s to open two 300-page files.
//
// usage: bench_pair_view [--rounds N] TEXT...
//
// TEXTs are pdftotext output (pages parted by form feeds), read as a run reads text files; give
// files of mixed sizes, at least two of about 300 pages (bench/realtext/pair_view.sh picks them
// from the library set). Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "app/PairView.h"
#include "base/DialogService.h"
#include "documents/TextStore.h"

#include "BenchTiming.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace orvanta;

constexpr double kTarget = 1.0;

// Says nothing: a page that cannot be drawn (the texts are no PDFs) is no part of the timing.
class QuietDialogs final : public DialogService {
public:
    void message(const QString &, const QString &, Icon) override {}
    bool question(const QString &, const QString &) override { return false; }
    std::optional<QString> input(const QString &, const QString &, bool) override { return {}; }
    std::optional<QString> editText(const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QStringList openFiles(const QString &, const QString &) override { return {}; }
    QString saveFile(const QString &, const QString &) override { return {}; }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
    void about(const QString &, const QString &) override {}
};

// Counts the paints of a widget.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

template <typename Done> void waitUntil(Done done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (waited.elapsed() > 60'000)
            bench::fail(QStringLiteral("nothing shown within 60 s"));
    }
}

int pagesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        bench::fail(QStringLiteral("cannot read %1").arg(path));
    return int(file.readAll().count('\f'));
}

struct Timing {
    double open = 0;
    double toLast = 0;
};

Timing openOnce(PairView &view, const std::shared_ptr<const OverlapTexts> &texts,
                const std::shared_ptr<const DocumentOverlap> &overlap, int first, int second)
{
    PaintCounter firstPaints(view.textOf(PairView::First)->viewport());
    PaintCounter secondPaints(view.textOf(PairView::Second)->viewport());
    bool shown = false;
    const auto connection = QObject::connect(&view, &PairView::pairShown, [&] { shown = true; });
    Timing timing;
    QElapsedTimer timer;
    timer.start();
    view.showPair(texts, overlap, first, second);
    waitUntil([&] { return shown; });
    const int paintedFirst = firstPaints.paints;
    const int paintedSecond = secondPaints.paints;
    waitUntil(
        [&] { return firstPaints.paints > paintedFirst && secondPaints.paints > paintedSecond; });
    timing.open = double(timer.nsecsElapsed()) / 1e9;
    QObject::disconnect(connection);

    timer.restart();
    const int before = firstPaints.paints + secondPaints.paints;
    view.goToPrevious(PairView::First);
    view.goToPrevious(PairView::Second);
    view.textOf(PairView::First)->viewport()->update();
    view.textOf(PairView::Second)->viewport()->update();
    waitUntil([&] { return firstPaints.paints + secondPaints.paints >= before + 2; });
    timing.toLast = double(timer.nsecsElapsed()) / 1e9;
    return timing;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        QStringList arguments = app.arguments().mid(1);
        int rounds = 3;
        if (arguments.size() >= 2 && arguments.first() == QStringLiteral("--rounds")) {
            rounds = std::max(1, arguments[1].toInt());
            arguments = arguments.mid(2);
        }
        if (arguments.size() < 2)
            bench::fail(QStringLiteral("usage: bench_pair_view [--rounds N] TEXT TEXT..."));
        std::vector<CountedSource> sources;
        for (const QString &path : arguments)
            sources.push_back({QFileInfo(path).absoluteFilePath(), std::nullopt, true, {}});

        TextStore store;
        std::shared_ptr<const OverlapTexts> texts;
        const double read = bench::secondsOf(
            [&] { texts = OverlapTexts::read(OccurrenceFinder(store, TextOptions{}), sources); });
        auto overlap = std::make_shared<const DocumentOverlap>(texts->compare({}));
        std::printf("%zu texts read and indexed in %.3f s (not part of opening a pair)\n",
                    sources.size(), read);

        QuietDialogs dialogs;
        PairView view(dialogs, QStringLiteral("bench"));
        view.show();
        bool missed = false;
        for (int a = 0; a < int(sources.size()); ++a) {
            for (int b = a + 1; b < int(sources.size()); ++b) {
                Timing worst;
                for (int round = 0; round < rounds; ++round) {
                    const Timing timing = openOnce(view, texts, overlap, a, b);
                    worst.open = std::max(worst.open, timing.open);
                    worst.toLast = std::max(worst.toLast, timing.toLast);
                }
                const int pagesA = pagesOf(sources[std::size_t(a)].path);
                const int pagesB = pagesOf(sources[std::size_t(b)].path);
                const bool bothLong = pagesA >= 250 && pagesB >= 250;
                missed = missed || (bothLong && worst.open >= kTarget);
                std::printf("%4d + %4d pages, %5d + %5d stretches: open %.3f s, to the last "
                            "stretch %.3f s (worst of %d)%s\n",
                            pagesA, pagesB, view.sideText(PairView::First)->stretchCount(),
                            view.sideText(PairView::Second)->stretchCount(), worst.open,
                            worst.toLast, rounds,
                            bothLong ? (worst.open < kTarget ? "  target < 1 s met"
                                                             : "  target < 1 s MISSED")
                                     : "");
            }
        }
        return missed ? 1 : 0;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_pair_view: %s\n", error.what());
        return 2;
    }
}
