// Reads every page of scanned PDFs with the page recogniser and says how many words of the
// source text came back and how fast. Run by ocr_accuracy.sh.
//
//   bench_ocr [-j WORKERS] [-l LANG+LANG] SOURCE.txt PDF...
//
// A word counts as recovered when it is exactly the source word, compared in lower case with
// everything but letters and digits taken out, at its place in the longest run of words that
// the source and the recognised text have in common, in order.

#include "extract/PageRecognition.h"
#include "extract/ProcessRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <numeric>
#include <vector>

using namespace orvanta;

namespace {

QStringList normalisedWords(const QString &text)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    static const QRegularExpression other(QStringLiteral("[^\\p{L}\\p{N}]"));
    QStringList words;
    for (QString word : text.toLower().split(space, Qt::SkipEmptyParts)) {
        word.remove(other);
        if (!word.isEmpty())
            words << word;
    }
    return words;
}

// The length of the longest common subsequence of the two word lists.
int wordsInCommon(const QStringList &source, const QStringList &read)
{
    std::vector<int> previous(size_t(read.size()) + 1, 0);
    std::vector<int> current(previous.size(), 0);
    for (const QString &word : source) {
        for (qsizetype j = 0; j < read.size(); ++j) {
            const size_t k = size_t(j) + 1;
            current[k] =
                word == read[j] ? previous[k - 1] + 1 : std::max(previous[k], current[k - 1]);
        }
        std::swap(previous, current);
    }
    return previous.back();
}

int pageCount(const QString &pdf)
{
    QByteArray info;
    const ProcessStreams collect{[&info](QByteArrayView piece) {
        info += piece;
        return true;
    }};
    if (runProcess(QStringLiteral("pdfinfo"), {pdf}, {}, collect) != 0)
        return 0;
    const auto match =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(info));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

int usage()
{
    std::fputs("usage: bench_ocr [-j WORKERS] [-l LANG+LANG] SOURCE.txt PDF...\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    int workers = 0;
    QStringList languages{QStringLiteral("eng")};
    while (arguments.size() >= 2 && arguments.first().startsWith(QLatin1Char('-'))) {
        const QString option = arguments.takeFirst();
        const QString value = arguments.takeFirst();
        if (option == QLatin1String("-j"))
            workers = value.toInt();
        else if (option == QLatin1String("-l"))
            languages = value.split(QLatin1Char('+'));
        else
            return usage();
    }
    if (arguments.size() < 2)
        return usage();

    QFile sourceFile(arguments.takeFirst());
    if (!sourceFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(sourceFile.fileName()));
        return 1;
    }
    const QStringList source = normalisedWords(QString::fromUtf8(sourceFile.readAll()));
    const int usedWorkers = workers > 0 ? workers : defaultRecognitionWorkers();

    int allPages = 0;
    qint64 allMilliseconds = 0;
    for (const QString &pdf : std::as_const(arguments)) {
        const int count = pageCount(pdf);
        if (count == 0) {
            std::fprintf(stderr, "pdfinfo cannot count the pages of %s\n", qPrintable(pdf));
            return 1;
        }
        std::vector<int> pages(size_t(count), 0);
        std::iota(pages.begin(), pages.end(), 1);

        QElapsedTimer timer;
        timer.start();
        const std::vector<Result<QString>> results =
            recognisePages({pdf, {}, languages, {}}, pages, {}, {}, workers);
        const qint64 milliseconds = timer.elapsed();

        QString text;
        for (const Result<QString> &result : results) {
            if (!result) {
                std::fprintf(stderr, "%s\n", qPrintable(result.error()));
                return 1;
            }
            text += *result;
        }
        const int recovered = wordsInCommon(source, normalisedWords(text));
        std::printf("%-18s %2d pages  words recovered %4d of %4d = %6.2f %%  %6.1f s  %.2f "
                    "pages/s\n",
                    qPrintable(QFileInfo(pdf).fileName()), count, recovered, int(source.size()),
                    100.0 * recovered / std::max<qsizetype>(source.size(), 1),
                    milliseconds / 1000.0, count * 1000.0 / std::max<qint64>(milliseconds, 1));
        allPages += count;
        allMilliseconds += milliseconds;
    }
    std::printf("all: %d pages in %.1f s = %.2f pages/s with %d workers\n", allPages,
                allMilliseconds / 1000.0, allPages * 1000.0 / std::max<qint64>(allMilliseconds, 1),
                usedWorkers);
    return 0;
}
