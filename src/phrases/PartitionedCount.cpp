#include "phrases/PartitionedCount.h"

#include "phrases/LengthList.h"
#include "phrases/OccurrenceRecords.h"
#include "phrases/PartitionCounter.h"
#include "phrases/SpillFile.h"

#include <QFile>

#include <algorithm>
#include <unistd.h>
#include <utility>

namespace orvanta {

namespace {

// Of the memory left to counting, the share for the group being counted; the rest holds rows.
constexpr double kGroupShare = 0.6;
// Kept apart from the budgets for what they do not cover: stacks, small buffers, the runtime.
constexpr std::uint64_t kSlack = std::uint64_t(24) << 20;
// The partition of a first word whose phrases another process counts.
constexpr std::uint32_t kOtherShare = ~std::uint32_t(0);
// Neither budget goes below this however tight the limit: a count that cannot stay near the
// limit still finishes.
constexpr std::uint64_t kSmallestBudget = std::uint64_t(1) << 20;

std::uint64_t residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() < 2 ? 0 : fields[1].toULongLong() * std::uint64_t(::sysconf(_SC_PAGESIZE));
}

} // namespace

SpillPlan SpillPlan::forLimit(std::uint64_t limit)
{
    SpillPlan plan;
    plan.bufferBytes = std::size_t(std::clamp<std::uint64_t>(limit / 1024, 64 << 10, 1 << 20));
    plan.memoryLimit = limit;
    plan.fitCounting(limit, 0);
    return plan;
}

void SpillPlan::fitCounting(std::uint64_t limit, std::uint64_t inUse)
{
    // While a group is counted: its reader and the files of a split, and a run being written.
    const std::uint64_t buffers = std::uint64_t(18 + mergeWidth) * bufferBytes;
    const std::uint64_t held = inUse + buffers + kSlack;
    const std::uint64_t available = limit > held ? limit - held : 0;
    groupBytes = std::max(kSmallestBudget, std::uint64_t(double(available) * kGroupShare));
    rowBytes = std::max(kSmallestBudget, std::uint64_t(double(available) * (1 - kGroupShare)));
}

Result<std::unique_ptr<PartitionedCount>> PartitionedCount::create(const std::vector<int> &lengths,
                                                                   const Directory &spillParent,
                                                                   SpillPlan plan)
{
    Result<std::unique_ptr<detail::SpillFolder>> folder = detail::SpillFolder::create(spillParent);
    if (!folder.ok())
        return Failure{folder.error()};
    std::unique_ptr<PartitionedCount> count(
        new PartitionedCount(lengths, plan, std::move(folder).value()));
    if (const Status opened = count->openPartitions(); !opened.ok())
        return Failure{opened.error()};
    return count;
}

PartitionedCount::PartitionedCount(const std::vector<int> &lengths, SpillPlan plan,
                                   std::unique_ptr<detail::SpillFolder> folder)
    : m_lengths(distinctCountableLengths(lengths))
    , m_plan(plan)
    , m_folder(std::move(folder))
{
    m_plan.partitions = std::max(m_plan.partitions, 1);
    if (!m_lengths.empty()) {
        m_shortest = std::size_t(*std::min_element(m_lengths.begin(), m_lengths.end()));
        m_longest = std::size_t(*std::max_element(m_lengths.begin(), m_lengths.end()));
    }
}

PartitionedCount::~PartitionedCount() = default;

Status PartitionedCount::openPartitions()
{
    for (int p = 0; p < m_plan.partitions; ++p) {
        Result<Descriptor> fd = m_folder->newFile();
        if (!fd.ok())
            return Failure{fd.error()};
        m_partitions.push_back(std::make_unique<detail::SpillFile>(std::move(fd).value(), *m_folder,
                                                                   m_plan.bufferBytes));
        m_partitionRecords.push_back(0);
    }
    return {};
}

void PartitionedCount::beginDocument(std::uint32_t file)
{
    m_file = file;
}

void PartitionedCount::countShare(std::uint32_t share, std::uint32_t shares)
{
    m_share = share;
    m_shares = std::max<std::uint32_t>(shares, 1);
}

void PartitionedCount::extendPartitionsOfWords()
{
    for (auto id = std::uint32_t(m_partitionOfWord.size()); id < m_words.size(); ++id) {
        const std::string_view word = m_words.text(id);
        m_partitionOfWord.push_back(
            m_shares > 1 && detail::shareOfWord(word, m_shares) != m_share
                ? kOtherShare
                : detail::partitionOfWord(word, std::uint32_t(m_plan.partitions)));
    }
}

Status PartitionedCount::countLine(QByteArrayView utf8Line)
{
    if (!m_writeFailure.ok())
        return m_writeFailure;
    m_line.clear();
    m_words.forEachWordId(utf8Line, [this](std::uint32_t id) { m_line.push_back(id); });
    m_wordCount += m_line.size();
    if (m_longest == 0)
        return {};
    extendPartitionsOfWords();
    detail::SpillFile *failed = nullptr;
    detail::forEachRecord(m_line, m_shortest, m_longest, [&](std::span<const std::uint32_t> words) {
        const std::uint32_t partition = m_partitionOfWord[words[0]];
        if (partition == kOtherShare)
            return;
        detail::SpillFile &file = *m_partitions[partition];
        detail::appendRecord(file, m_file, words);
        ++m_partitionRecords[partition];
        if (file.failed())
            failed = &file;
    });
    if (failed)
        m_writeFailure = failed->finishWriting();
    return m_writeFailure;
}

Status PartitionedCount::finish(const RowSelection &selection, const RowConsumer &consumer,
                                std::stop_token stop)
{
    if (!m_writeFailure.ok())
        return m_writeFailure;
    if (std::exchange(m_finished, true))
        return Failure{QStringLiteral("The count was finished before.")};
    for (const std::unique_ptr<detail::SpillFile> &partition : m_partitions) {
        if (const Status written = partition->finishWriting(); !written.ok())
            return written;
    }
    if (m_plan.memoryLimit > 0)
        m_plan.fitCounting(m_plan.memoryLimit, residentBytes());
    detail::SortedRows rows(*m_folder, selection, m_plan.rowBytes, m_plan.bufferBytes,
                            m_plan.mergeWidth);
    {
        detail::PartitionCounter counter(m_words.lowerWords(), m_lengths, *m_folder,
                                         m_plan.groupBytes, m_plan.bufferBytes, rows);
        for (std::size_t p = 0; p < m_partitions.size(); ++p) {
            const Status counted =
                counter.count({std::move(m_partitions[p]), m_partitionRecords[p], 0, 1}, stop);
            if (!counted.ok())
                return counted;
        }
    }
    // The rows carry their phrases: the words are not needed to merge them.
    m_partitions.clear();
    m_words = detail::WordTable();
    m_partitionOfWord = {};
    return rows.handOver(consumer, stop);
}

} // namespace orvanta
