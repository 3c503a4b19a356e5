#include "run/BoundedCount.h"

#include "run/CountingRun.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace orvanta {

Result<Directory> openSpillParent(const QString &folder)
{
    if (folder.isEmpty())
        return openPrivateFolder();
    Descriptor fd(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen())
        return Failure{QStringLiteral("cannot use %1 for the spill files: %2")
                           .arg(folder, QString::fromLocal8Bit(std::strerror(errno)))};
    return Directory(std::move(fd), folder);
}

Status checkLimitCanBeKept(const CountingRunOptions &options)
{
    if (options.memoryLimit == 0 || options.passageMinimumWords > 0)
        return {};
    if (options.countsPerFile || options.keepCountedWords)
        return Failure{QStringLiteral(
            "Counts by file and phrase positions need the whole count in memory, so they cannot "
            "keep a memory limit. Count without a memory limit, or in fewer files.")};
    return {};
}

Result<std::unique_ptr<BoundedCount>> BoundedCount::create(const std::vector<int> &lengths,
                                                           std::uint64_t memoryLimit,
                                                           const QString &spillFolder)
{
    Result<Directory> parent = openSpillParent(spillFolder);
    if (!parent.ok())
        return Failure{parent.error()};
    Result<std::unique_ptr<PartitionedCount>> count =
        PartitionedCount::create(lengths, *parent, SpillPlan::forLimit(memoryLimit));
    if (!count.ok())
        return Failure{count.error()};
    return std::unique_ptr<BoundedCount>(new BoundedCount(std::move(count).value()));
}

BoundedCount::BoundedCount(std::unique_ptr<PartitionedCount> count)
    : m_count(std::move(count))
{
}

Status BoundedCount::handOver(const RowSelection &selection, const RowConsumer &consumer,
                              std::stop_token stop)
{
    return m_count->finish(selection, consumer, std::move(stop));
}

Result<PhraseResults> BoundedCount::repeatedPhrases(std::stop_token stop)
{
    PhraseResults results;
    const Status finished = handOver(
        RowSelection{},
        [&](const RowView &row) {
            results.append(row.phrase, row.wordCount, row.frequency, row.files);
            return true;
        },
        std::move(stop));
    if (!finished.ok())
        return Failure{finished.error()};
    return results;
}

} // namespace orvanta
