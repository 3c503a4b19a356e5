// Saving and opening a project of 3,000 files and a million result rows, a tenth of them ticked
// and one in a hundred removed: each should take under 2 s.
//
//   bench_project [ROWS] [FILES]

#include "BenchTiming.h"
#include "ResultsGenerator.h"
#include "app/ProjectFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace orvanta;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int rows = arguments.size() > 1 ? arguments[1].toInt() : 1'000'000;
    const int files = arguments.size() > 2 ? arguments[2].toInt() : 3'000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.orvanta"));

    Project project;
    for (int i = 0; i < files; ++i)
        project.files << QStringLiteral("/srv/cases/matter-%1/exhibit %2 - correspondence.pdf")
                             .arg(i / 100)
                             .arg(i);
    project.lengths[2] = true;
    const PhraseResults generated = bench::makeResults(rows);
    for (std::uint32_t id = 0; id < std::uint32_t(rows); ++id) {
        if (id % 100 == 7)
            project.removed.push_back(id);
        else if (id % 10 == 3)
            project.ticked.push_back(id);
    }
    // Saving copies the list's results into the project, as the window does.
    const double saving = bench::secondsOf([&] {
        project.results.append(generated);
        if (!writeProject(path, project).ok())
            bench::fail(QStringLiteral("cannot write %1").arg(path));
    });
    Result<Project> opened = Failure{};
    const double opening = bench::secondsOf([&] { opened = readProject(path); });
    if (!opened || opened->results.size() != rows || opened->ticked != project.ticked)
        bench::fail(QStringLiteral("the project did not come back: %1").arg(opened.error()));
    std::printf("%d rows, %d files, %.1f MB: saved in %.2f s, opened in %.2f s\n", rows, files,
                QFileInfo(path).size() / 1e6, saving, opening);
    return saving < 2 && opening < 2 ? 0 : 1;
}
