#include "phrases/PerFileCounts.h"

#include "phrases/PhraseLevels.h"

namespace orvanta {

void PerFileCounts::addRow(std::span<const FileCount> counts)
{
    if (m_offsets.empty())
        m_offsets.push_back(0);
    m_counts.insert(m_counts.end(), counts.begin(), counts.end());
    m_offsets.push_back(m_counts.size());
}

void PerFileCounts::append(const PerFileCounts &more)
{
    if (more.rows() == 0)
        return;
    if (m_offsets.empty())
        m_offsets.push_back(0);
    const std::uint64_t shift = m_counts.size();
    m_offsets.reserve(m_offsets.size() + more.rows());
    for (std::size_t r = 1; r < more.m_offsets.size(); ++r)
        m_offsets.push_back(more.m_offsets[r] + shift);
    m_counts.insert(m_counts.end(), more.m_counts.begin(), more.m_counts.end());
}

std::span<const FileCount> PerFileCounts::row(std::size_t row) const
{
    return std::span(m_counts).subspan(m_offsets[row], m_offsets[row + 1] - m_offsets[row]);
}

// The counts are laid out again in the new order, so that reading the rows in order reads them
// straight through.
void PerFileCounts::reorder(std::span<const std::uint32_t> order)
{
    detail::LargeArray<std::uint64_t> offsets;
    detail::LargeArray<FileCount> counts;
    offsets.reserve(m_offsets.size());
    counts.reserve(m_counts.size());
    offsets.push_back(0);
    for (const std::uint32_t from : order) {
        const std::span<const FileCount> moved = row(from);
        counts.insert(counts.end(), moved.begin(), moved.end());
        offsets.push_back(counts.size());
    }
    m_offsets = std::move(offsets);
    m_counts = std::move(counts);
}

namespace detail {

// Positions ascend, so a class's occurrences in one file come together: each either adds to the
// class's last entry or opens the next.
LevelFileCounts fileCountsOf(const Level &level, std::span<const std::uint32_t> documentStarts,
                             std::span<const std::uint32_t> files)
{
    LevelFileCounts result;
    result.offsets.resize(files.size() + 1);
    result.offsets[0] = 0;
    for (std::size_t c = 0; c < files.size(); ++c)
        result.offsets[c + 1] = result.offsets[c] + files[c];
    result.counts.resize(result.offsets.back());
    LargeArray<std::uint64_t> next(result.offsets.begin(), result.offsets.end() - 1);
    std::uint32_t file = 0;
    for (const std::uint32_t position : level.positions) {
        while (file + 1 < documentStarts.size() && documentStarts[file + 1] <= position)
            ++file;
        const std::uint32_t c = level.classes[position];
        if (next[c] > result.offsets[c] && result.counts[next[c] - 1].file == file)
            ++result.counts[next[c] - 1].frequency;
        else
            result.counts[next[c]++] = {file, 1};
    }
    return result;
}

} // namespace detail

} // namespace orvanta
