#pragma once

#include "run/CountingRun.h"

#include <mpi.h>

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace orvanta {

class BoundedCount;

// Which process converts and reads each input: the biggest first, each to the process with the
// fewest bytes so far (ties to the lowest rank). Gives every process its inputs' indices, in list
// order. Every process computes the same shares from the same sizes.
std::vector<std::vector<int>> shareInputs(const std::vector<qint64> &sizes, int processes);

// One process of orvanta-count-mpi. Each converts and reads its share of the inputs; the counted
// text of each file goes to every process, file by file, and each counts the phrases whose
// first word falls to it (a partitioned count on its own disk). The rows are merged in order
// on the first process, which prints them and the files that failed, as orvanta-count does.
// A process that cannot go on says why, naming its host, and ends the whole run.
class ClusterCount {
public:
    explicit ClusterCount(MPI_Comm comm);
    ~ClusterCount();

    int rank() const { return m_rank; }
    // Counts as CountingRun::run would over every input, on every process. The memory limit and
    // spill folder of `options` serve each process's share of the count (without a limit, 2 GiB).
    // Refuses nothing: a process that cannot go on ends the run.
    RunOutcome count(CountingRun &run, const QStringList &inputs, const std::vector<int> &lengths,
                     CountingRunOptions &options);

private:
    [[noreturn]] void fail(const QString &problem) const;
    RunOutcome runShare(CountingRun &run, const QStringList &inputs, const std::vector<int> &mine,
                        const std::vector<int> &lengths, CountingRunOptions &options);
    void takeLine(int file, QByteArrayView line);
    // One round of the exchange: every process gives its next file (or nothing, once `done`)
    // and counts every file given. False when every process was done.
    bool exchange(bool done);
    void countFiles(const QByteArray &files);
    // On the first process, the failures of every process in list order; elsewhere none.
    std::vector<FileFailure> gatherFailures(const RunOutcome &outcome,
                                            const std::vector<int> &mine) const;

    MPI_Comm m_comm;
    int m_rank = 0;
    int m_processes = 1;
    QString m_host;
    std::shared_ptr<BoundedCount> m_count;
    const std::vector<int> *m_mine = nullptr; // the list indices of this process's inputs
    int m_pendingFile = -1;
    QByteArray m_pending; // the global index, then each line with its length before it
};

} // namespace orvanta
