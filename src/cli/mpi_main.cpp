// orvanta-count-mpi: orvanta-count over several processes started by mpirun or srun.
#include "cli/ClusterCount.h"
#include "cli/CountOptions.h"
#include "cli/OrvantaCount.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>

#include <mpi.h>
#include <unistd.h>

namespace {

// What the cluster cannot do, as a usage error; empty when it can.
QString unsupported(const QStringList &arguments)
{
    const orvanta::Result<orvanta::CountOptions> options = orvanta::parseCountOptions(arguments);
    if (!options.ok() || options->request != orvanta::CountOptions::Request::Count)
        return {};
    if (!options->where.isEmpty() || options->passages > 0)
        return QStringLiteral("--where and --passages need the whole text in one place: use "
                              "orvanta-count for them");
    if (options->inputs.contains(QStringLiteral("-")))
        return QStringLiteral("standard input (-) reaches one process only: give files");
    return {};
}

int countTogether(const QStringList &arguments, int rank)
{
    QFile out;
    QFile err;
    QBuffer discarded;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    discarded.open(QIODevice::WriteOnly);
    // Only the first process prints; the others say only their errors.
    orvanta::OrvantaCount command(rank == 0 ? static_cast<QIODevice &>(out) : discarded, err);
    command.setShowProgress(rank == 0 && isatty(STDERR_FILENO));
    command.setWritesOutputFile(rank == 0);
    orvanta::ClusterCount cluster(MPI_COMM_WORLD);
    command.setCounter([&](orvanta::CountingRun &run, const QStringList &inputs,
                           const std::vector<int> &lengths, orvanta::CountingRunOptions &options) {
        return cluster.count(run, inputs, lengths, options);
    });
    QStringList given = arguments;
    if (rank != 0)
        given.insert(1, QStringLiteral("--quiet"));
    return command.run(given);
}

} // namespace

int main(int argc, char *argv[])
{
    MPI_Init(&argc, &argv);
    int rank = 0;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    int code = 0;
    {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("orvanta-count-mpi"));
        QCoreApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));
        const QStringList arguments = QCoreApplication::arguments();
        if (const QString problem = unsupported(arguments); !problem.isEmpty()) {
            if (rank == 0)
                std::fprintf(stderr, "orvanta-count-mpi: %s\n", qPrintable(problem));
            code = orvanta::OrvantaCount::kUsageError;
        } else {
            code = countTogether(arguments, rank);
        }
    }
    // The exit code is the worst of every process's.
    int worst = code;
    MPI_Allreduce(&code, &worst, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
    MPI_Finalize();
    return worst;
}
