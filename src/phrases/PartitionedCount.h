#pragma once

#include "base/PrivateFolder.h"
#include "base/Result.h"
#include "phrases/RowOrder.h"
#include "phrases/SortedRows.h"
#include "phrases/WordTable.h"

#include <QByteArrayView>

#include <cstdint>
#include <memory>
#include <stop_token>
#include <vector>

namespace orvanta {

namespace detail {
class SpillFile;
class SpillFolder;
} // namespace detail

// How a partitioned count uses memory and disk.
struct SpillPlan {
    // The first split of the occurrences, by their first word; each partition has a file.
    int partitions = 64;
    // The buffer of each spill file while it is written or read.
    std::size_t bufferBytes = std::size_t(256) << 10;
    // The most memory one group of occurrences may take while it is counted; a bigger group is
    // split again.
    std::uint64_t groupBytes = std::uint64_t(256) << 20;
    // The most bytes of result rows held before they are sorted and written out as a run.
    std::uint64_t rowBytes = std::uint64_t(256) << 20;
    // How many runs are merged at once.
    int mergeWidth = 64;
    // When set, groupBytes and rowBytes are chosen again when counting begins, from this
    // limit and the memory the process holds then (its word table above all).
    std::uint64_t memoryLimit = 0;

    // A plan for a count that is to stay near `limit` bytes of memory.
    static SpillPlan forLimit(std::uint64_t limit);
    // The budgets for counting within `limit` when `inUse` bytes are held already.
    void fitCounting(std::uint64_t limit, std::uint64_t inUse);
};

// Counts phrases as PhraseTable does, within a bounded memory: the text is not kept. Each word
// position gives an occurrence record (the words from there to the longest length or the line's
// end), written to one of the plan's partitions by its first word; at the end each partition is
// counted alone (split again when it is too big) and the rows, sorted in runs, are merged in the
// order asked for. Rows are the same, byte for byte, as PhraseTable's after selectRows.
//
// What must fit in memory: the word table (every distinct word, raw and lower-cased), a spill
// buffer for each partition, one group of occurrences being counted, the rows held for sorting
// and one buffer for each run merged at once.
//
// Counting on several machines takes the same pieces: records cut by forEachRecord, with their
// word ids made global, go to partitionOfWord(first word) and that partition to its process;
// each process counts its partitions with PartitionCounter (the minimums apply in SortedRows,
// after every occurrence of a phrase is in) and the sorted rows are merged in one place.
class PartitionedCount {
public:
    // The spill files go to a private folder made in `spillParent`.
    static Result<std::unique_ptr<PartitionedCount>>
    create(const std::vector<int> &lengths, const Directory &spillParent, SpillPlan plan);
    ~PartitionedCount();

    // The lines counted from here on belong to file `file` (ids are global: the index in the
    // input list). Each file's lines come together. Without a call they belong to file 0.
    void beginDocument(std::uint32_t file);
    // Counts only the phrases whose first word (lower-cased) falls to `share` of `shares`, as one
    // of several processes that read the same lines does. Call before counting.
    void countShare(std::uint32_t share, std::uint32_t shares);
    // Fails, naming the spill folder, when an occurrence cannot be written; nothing more is
    // counted then.
    Status countLine(QByteArrayView utf8Line);
    std::size_t wordCount() const { return m_wordCount; }

    // Counts what was read and hands the rows that pass the selection, in its order, to
    // `consumer` until it declines or the top rows were handed over. Call once. A failure, a
    // stop request included, means that the rows handed over are not the whole result.
    Status finish(const RowSelection &selection, const RowConsumer &consumer,
                  std::stop_token stop = {});

private:
    PartitionedCount(const std::vector<int> &lengths, SpillPlan plan,
                     std::unique_ptr<detail::SpillFolder> folder);
    Status openPartitions();
    void extendPartitionsOfWords();

    std::vector<int> m_lengths;
    std::size_t m_shortest = 0;
    std::size_t m_longest = 0;
    SpillPlan m_plan;
    std::unique_ptr<detail::SpillFolder> m_folder;
    std::vector<std::unique_ptr<detail::SpillFile>> m_partitions;
    std::vector<std::uint64_t> m_partitionRecords;
    detail::WordTable m_words;
    std::vector<std::uint32_t> m_partitionOfWord; // by word id
    std::vector<std::uint32_t> m_line;            // the word ids of the line being counted
    std::uint32_t m_file = 0;
    std::uint32_t m_share = 0;
    std::uint32_t m_shares = 1;
    std::size_t m_wordCount = 0;
    Status m_writeFailure;
    bool m_finished = false;
};

} // namespace orvanta
