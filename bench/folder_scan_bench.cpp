// Times the folder scan on a generated tree: 100,000 empty files in 10,000 folders (100 folders
// under the start, 99 below each of them), ten files a folder, one of them a PDF. Also times the
// same tree walked as a dropped folder, where every file counts.
//
// usage: bench_folder_scan [ROUNDS]     (default 3 rounds; the tree is made once, in TMPDIR)

#include "base/ErrorReport.h"
#include "filelist/FolderScan.h"

#include "BenchTiming.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using orvanta::bench::secondsOf;

constexpr int kTopFolders = 100;
constexpr int kSubfolders = 99;
constexpr int kFilesPerFolder = 10;
constexpr int kFolders = kTopFolders * (1 + kSubfolders);
constexpr double kTargetSeconds = 2.0;

class StderrSink : public orvanta::ErrorSink {
public:
    void report(const orvanta::ErrorReport &report) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(report.message()));
    }
};

void fillFolder(const QString &folder)
{
    QDir().mkpath(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
        const QString name =
            i == 0 ? QStringLiteral("report.pdf") : QStringLiteral("notes-%1.txt").arg(i);
        QFile file(folder + QLatin1Char('/') + name);
        file.open(QIODevice::WriteOnly);
    }
}

void makeTree(const QString &root)
{
    for (int top = 0; top < kTopFolders; ++top) {
        const QString topFolder = root + QStringLiteral("/dept-%1").arg(top);
        fillFolder(topFolder);
        for (int sub = 0; sub < kSubfolders; ++sub)
            fillFolder(topFolder + QStringLiteral("/case-%1").arg(sub));
    }
}

double bestOf(int rounds, const QString &root, const QString &pattern, qsizetype expected)
{
    StderrSink sink;
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QStringList rows;
        times.push_back(
            secondsOf([&] { rows = orvanta::filesInFolderTree(root, pattern, sink).rows; }));
        if (rows.size() != expected) {
            std::fprintf(stderr, "%s: %lld rows, expected %lld\n", qPrintable(pattern),
                         static_cast<long long>(rows.size()), static_cast<long long>(expected));
            return -1;
        }
        std::printf("  %s round %d: %.3f s, %lld rows\n", qPrintable(pattern), round + 1,
                    times.back(), static_cast<long long>(rows.size()));
    }
    return *std::min_element(times.begin(), times.end());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/tree");
    const double made = secondsOf([&] { makeTree(root); });
    std::printf("tree: %d folders, %d files (%d PDFs), made in %.1f s\n", kFolders,
                kFolders * kFilesPerFolder, kFolders, made);

    const double scan = bestOf(rounds, root, QLatin1String(orvanta::kScanPattern), kFolders);
    const double drop =
        bestOf(rounds, root, QLatin1String(orvanta::kDropPattern), kFolders * kFilesPerFolder);
    if (scan < 0 || drop < 0)
        return 1;
    std::printf("folder scan (*.pdf): best %.3f s (target under %.1f s)\n", scan, kTargetSeconds);
    std::printf("dropped folder (*.*): best %.3f s\n", drop);
    return scan < kTargetSeconds ? 0 : 2;
}
