#pragma once

#include "phrases/LargeArray.h"

#include <cstdint>
#include <span>

namespace orvanta {

// How often a phrase occurs in one file.
struct FileCount {
    std::uint32_t file = 0; // the file's index in the run, counted from 0
    std::uint32_t frequency = 0;
    bool operator==(const FileCount &) const = default;
};

// The files each row's phrase occurs in, with its frequency in each, in file order. Sparse: a
// file where the phrase does not occur has no entry.
class PerFileCounts {
public:
    std::size_t rows() const { return m_offsets.empty() ? 0 : m_offsets.size() - 1; }

    void addRow(std::span<const FileCount> counts);
    // Adds every row of `more`, in its order.
    void append(const PerFileCounts &more);
    std::span<const FileCount> row(std::size_t row) const;
    // Row i takes the counts that row order[i] had; `order` names every row once.
    void reorder(std::span<const std::uint32_t> order);

private:
    detail::LargeArray<std::uint64_t> m_offsets; // row r's counts run from m_offsets[r] to [r + 1]
    detail::LargeArray<FileCount> m_counts;
};

namespace detail {

struct Level;

// The counts of each class of a level, laid out class after class.
struct LevelFileCounts {
    LargeArray<std::uint64_t> offsets; // by class, and one past the last
    LargeArray<FileCount> counts;

    std::span<const FileCount> of(std::uint32_t phraseClass) const
    {
        return std::span(counts).subspan(offsets[phraseClass],
                                         offsets[phraseClass + 1] - offsets[phraseClass]);
    }
};

// Counts each class of `level` in each file. `files` holds the number of files of each class;
// file f starts at documentStarts[f] (the first file also holds what comes before).
LevelFileCounts fileCountsOf(const Level &level, std::span<const std::uint32_t> documentStarts,
                             std::span<const std::uint32_t> files);

} // namespace detail

} // namespace orvanta
