#pragma once

#include "phrases/FlatTables.h"
#include "phrases/OccurrenceRecords.h"
#include "phrases/SpillFile.h"

#include <memory>
#include <stop_token>
#include <vector>

namespace orvanta::detail {

class SortedRows;

// Occurrence records counted together: they hold every occurrence of the phrases the group
// counts. The records of one file come together.
struct RecordGroup {
    std::unique_ptr<SpillFile> file;
    std::uint64_t records = 0;
    // The number of first words all its records share (0 for a first partition).
    std::uint32_t sharedWords = 0;
    // The shortest length whose rows the group gives: shorter phrases were counted when it was
    // split off a bigger group.
    std::uint32_t reportFrom = 1;
};

// Counts groups of occurrence records in memory, one at a time, with the level-wise search of
// PhraseLevels restricted to the records' starts. A group that would take more than
// `groupBytes` of memory is split first: its records are tallied by the word after the shared
// ones, which counts the phrases of one word more than the shared ones, and those words are
// packed into groups that fit; a word whose records alone do not fit makes a group of its own,
// one shared word longer.
class PartitionCounter {
public:
    PartitionCounter(const StringInterner &words, const std::vector<int> &lengths,
                     const SpillFolder &folder, std::uint64_t groupBytes, std::size_t bufferBytes,
                     SortedRows &rows);

    // Counts every phrase whose occurrences the group's records are, from its reportFrom
    // length on, and hands the rows to `rows`.
    Status count(RecordGroup group, std::stop_token stop);

    // The memory that counting records of `bytes` bytes in the spill file takes: their words
    // laid out with a class each, and for each record its start, its first word's counter, its
    // place in the level and its candidate. Over 14.2 million words of real text, at lengths 2,
    // 4, 2 to 5 and 1 to 19, the peaks of groups of 4 to 124 MB were 0.67 to 0.95 of this.
    static std::uint64_t memoryToCount(std::uint64_t bytes, std::uint64_t records)
    {
        return 2 * bytes + 48 * records;
    }

private:
    struct Layout;

    Status countInMemory(const RecordGroup &group, std::stop_token stop);
    Status writeRows(const Layout &layout, int length);
    Status split(const RecordGroup &group, std::stop_token stop);

    bool wanted(int length) const;

    const StringInterner &m_words;
    std::vector<int> m_lengths;
    int m_longest = 0;
    const SpillFolder &m_folder;
    const std::uint64_t m_groupBytes;
    const std::size_t m_bufferBytes;
    SortedRows &m_rows;
};

} // namespace orvanta::detail
