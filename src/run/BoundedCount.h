#pragma once

#include "base/PrivateFolder.h"
#include "base/Result.h"
#include "phrases/PartitionedCount.h"
#include "phrases/PhraseResults.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <memory>
#include <stop_token>
#include <vector>

namespace orvanta {

struct CountingRunOptions;

// The folder a partitioned count spills to: `folder` when given, else the user's private
// temporary folder.
Result<Directory> openSpillParent(const QString &folder);

// Why a run cannot keep its memory limit with these options; success when it can. Per-file
// counts and the kept words hold the whole count in memory.
Status checkLimitCanBeKept(const CountingRunOptions &options);

// Rows counted elsewhere or not yet, handed over once, in a selection's order.
class RowSource {
public:
    virtual ~RowSource() = default;
    // Hands the rows the selection keeps, in its order, to `consumer`. Call once.
    virtual Status handOver(const RowSelection &selection, const RowConsumer &consumer,
                            std::stop_token stop = {}) = 0;
};

// The phrases of a run counted within a memory limit: the occurrences go to spill files as the
// text is read, and the rows are counted when they are asked for, once.
class BoundedCount final : public RowSource {
public:
    static Result<std::unique_ptr<BoundedCount>>
    create(const std::vector<int> &lengths, std::uint64_t memoryLimit, const QString &spillFolder);

    void beginDocument(std::uint32_t file) { m_count->beginDocument(file); }
    // Counts only the phrases that fall to `share` of `shares` processes.
    void countShare(std::uint32_t share, std::uint32_t shares)
    {
        m_count->countShare(share, shares);
    }
    // Fails, naming the spill folder, when an occurrence cannot be written (a full disk).
    Status countLine(QByteArrayView utf8Line) { return m_count->countLine(utf8Line); }
    std::size_t wordCount() const { return m_count->wordCount(); }

    Status handOver(const RowSelection &selection, const RowConsumer &consumer,
                    std::stop_token stop = {}) override;
    // Every repeated phrase in the order the list shows them. Call once, instead of handOver.
    Result<PhraseResults> repeatedPhrases(std::stop_token stop = {});

private:
    explicit BoundedCount(std::unique_ptr<PartitionedCount> count);

    std::unique_ptr<PartitionedCount> m_count;
};

} // namespace orvanta
