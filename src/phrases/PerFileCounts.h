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

    // Adds rows of files[i] files each; gives their counts, row after row, to be filled in.
    std::span<FileCount> addRows(std::span<const std::uint32_t> files);
    // Adds every row of `more`, in its order.
    void append(const PerFileCounts &more);
    std::span<const FileCount> row(std::size_t row) const;
    // Row i takes the counts that row order[i] had; `order` names every row once.
    void reorder(std::span<const std::uint32_t> order);
    std::uint64_t bytesHeld() const
    {
        return detail::bytesOf(m_offsets) + detail::bytesOf(m_counts);
    }

private:
    detail::LargeArray<std::uint64_t> m_offsets; // row r's counts run from m_offsets[r] to [r + 1]
    detail::LargeArray<FileCount> m_counts;
};

namespace detail {

struct Level;

// Counts each class of `level` in each file into `counts`, class after class, where class c
// takes files[c] entries; file f starts at documentStarts[f] (the first file also holds what
// comes before).
void countFilesOf(const Level &level, std::span<const std::uint32_t> documentStarts,
                  std::span<const std::uint32_t> files, std::span<FileCount> counts);

} // namespace detail

} // namespace orvanta
