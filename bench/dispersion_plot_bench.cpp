// What drawing a dispersion plot costs: a phrase seen 10,000 times over 3,000 files (target:
// drawn in under 0.3 s). The files' sizes and the occurrences' places come from real texts: each
// text's words (split at blanks, as counted) and the places of the word "the" in it; every file
// gets one occurrence, the other 7,000 are spread evenly over the remaining places. Fewer texts
// than files are used again in turn. Timed, median of ROUNDS (default 5):
// - window: grouping the occurrences by file, making the plot and drawing what a window of
//   1,000 x 600 pixels shows;
// - whole: the same, drawing every strip into a picture (as the PNG export does); at 3,000 strips
//   the picture is 1,000 x 54,012 pixels, and making its 216 MB takes most of the time;
// - svg: every strip drawn as SVG into memory.
// Exits with 1 when the window's drawing misses the target.
//
// usage: bench_dispersion_plot [-r ROUNDS] [--files N] [--occurrences N] PATH...
//        PATH: a text file, or a folder whose *.txt files are read in name order;
//        --files-from LIST reads the paths from LIST, one a line

#include "results/DispersionPlot.h"

#include "BenchTiming.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace orvanta;
using orvanta::bench::fail;
using orvanta::bench::secondsOf;

constexpr double kTarget = 0.3;
constexpr int kWidth = 1000;
constexpr int kWindowHeight = 600;

struct Text {
    std::uint64_t words = 0;
    std::vector<std::uint64_t> places; // of "the"
};

Text readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(path));
    Text text;
    for (const QByteArray &word : file.readAll().simplified().split(' ')) {
        if (word.isEmpty())
            continue;
        if (word.compare("the", Qt::CaseInsensitive) == 0)
            text.places.push_back(text.words);
        ++text.words;
    }
    return text;
}

QStringList expand(const QStringList &paths)
{
    QStringList files;
    for (const QString &path : paths) {
        if (!QFileInfo(path).isDir()) {
            files << path;
            continue;
        }
        for (const QFileInfo &entry :
             QDir(path).entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
            files << entry.absoluteFilePath();
    }
    return files;
}

// One occurrence in each file, at its first "the", the rest spread evenly over the others.
Occurrences occurrencesOver(const std::vector<Text> &texts, int files, int total)
{
    std::vector<std::vector<std::uint64_t>> chosen(static_cast<std::size_t>(files));
    std::vector<std::pair<int, std::uint64_t>> others;
    for (int file = 0; file < files; ++file) {
        const Text &text = texts[std::size_t(file) % texts.size()];
        chosen[std::size_t(file)].push_back(text.places.empty() ? 0 : text.places.front());
        for (std::size_t i = 1; i < text.places.size(); ++i)
            others.emplace_back(file, text.places[i]);
    }
    const std::size_t more = std::size_t(std::max(0, total - files));
    for (std::size_t i = 0; i < more && !others.empty(); ++i) {
        const auto &[file, place] = others[i * others.size() / more];
        chosen[std::size_t(file)].push_back(place);
    }
    Occurrences found;
    for (int file = 0; file < files; ++file) {
        std::sort(chosen[std::size_t(file)].begin(), chosen[std::size_t(file)].end());
        for (const std::uint64_t place : chosen[std::size_t(file)]) {
            Occurrence occurrence;
            occurrence.source = file;
            occurrence.word = place;
            occurrence.phrase = QStringLiteral("the");
            found.found.push_back(occurrence);
        }
    }
    return found;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int rounds = 5;
    int files = 3000;
    int total = 10000;
    QStringList paths;
    try {
        const QStringList arguments = app.arguments().mid(1);
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            const QString &argument = arguments[i];
            const bool hasValue = i + 1 < arguments.size();
            if (argument == QLatin1String("-r") && hasValue) {
                rounds = arguments[++i].toInt();
            } else if (argument == QLatin1String("--files") && hasValue) {
                files = arguments[++i].toInt();
            } else if (argument == QLatin1String("--occurrences") && hasValue) {
                total = arguments[++i].toInt();
            } else if (argument == QLatin1String("--files-from") && hasValue) {
                QFile list(arguments[++i]);
                if (!list.open(QIODevice::ReadOnly))
                    fail(QStringLiteral("cannot read %1").arg(list.fileName()));
                for (const QByteArray &line : list.readAll().split('\n'))
                    if (!line.isEmpty())
                        paths << QString::fromUtf8(line);
            } else {
                paths << argument;
            }
        }
        std::vector<Text> texts;
        for (const QString &path : expand(paths))
            texts.push_back(readText(path));
        if (texts.empty() || files < 1 || rounds < 1)
            fail(QStringLiteral("usage: bench_dispersion_plot [-r ROUNDS] [--files N] "
                                "[--occurrences N] [--files-from LIST] PATH..."));
        const Occurrences found = occurrencesOver(texts, files, total);
        QStringList names;
        std::vector<std::uint64_t> words;
        for (int file = 0; file < files; ++file) {
            names << QStringLiteral("/texts/file-%1.pdf").arg(file);
            words.push_back(texts[std::size_t(file) % texts.size()].words);
        }
        const auto plotOf = [&] {
            return DispersionPlot(found, occurrencesByFile(found, names, words));
        };

        std::vector<double> window, whole, svg;
        for (int round = 0; round < rounds; ++round) {
            QImage screen(kWidth, kWindowHeight, QImage::Format_RGB32);
            window.push_back(secondsOf([&] {
                const DispersionPlot plot = plotOf();
                QPainter painter(&screen);
                plot.paint(painter, kWidth, QRect(0, 0, kWidth, kWindowHeight));
            }));
            whole.push_back(secondsOf([&] { (void)plotOf().image(kWidth); }));
            svg.push_back(secondsOf([&] {
                const DispersionPlot plot = plotOf();
                QBuffer buffer;
                buffer.open(QIODevice::WriteOnly);
                QSvgGenerator generator;
                generator.setOutputDevice(&buffer);
                generator.setSize(plot.sizeFor(kWidth));
                QPainter painter(&generator);
                plot.paint(painter, kWidth);
            }));
        }
        std::uint64_t allWords = 0;
        for (const Text &text : texts)
            allWords += text.words;
        std::printf("%zu texts (%llu words), %zu occurrences in %d files, plot %d x %d px\n",
                    texts.size(), static_cast<unsigned long long>(allWords), found.found.size(),
                    files, kWidth, plotOf().sizeFor(kWidth).height());
        std::printf("window %.3f s, whole %.3f s, svg %.3f s (target %.1f s), median of %d\n",
                    median(window), median(whole), median(svg), kTarget, rounds);
        return median(window) < kTarget ? 0 : 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_dispersion_plot: %s\n", error.what());
        return 2;
    }
}
