#include "phrases/PerFileCounts.h"

#include "phrases/PhraseLevels.h"

namespace orvanta {

std::span<FileCount> PerFileCounts::addRows(std::span<const std::uint32_t> files)
{
    if (m_offsets.empty())
        m_offsets.push_back(0);
    const std::size_t first = m_counts.size();
    m_offsets.reserve(m_offsets.size() + files.size());
    for (const std::uint32_t rowFiles : files)
        m_offsets.push_back(m_offsets.back() + rowFiles);
    m_counts.resize(m_offsets.back());
    return std::span(m_counts).subspan(first);
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
void countFilesOf(const Level &level, std::span<const std::uint32_t> documentStarts,
                  std::span<const std::uint32_t> files, std::span<FileCount> counts)
{
    LargeArray<std::uint64_t> first(files.size()); // by class: where its entries start
    LargeArray<std::uint64_t> next(files.size());  // by class: where its next entry goes
    std::uint64_t offset = 0;
    for (std::size_t c = 0; c < files.size(); ++c) {
        first[c] = next[c] = offset;
        offset += files[c];
    }
    std::uint32_t file = 0;
    for (const std::uint32_t position : level.positions) {
        while (file + 1 < documentStarts.size() && documentStarts[file + 1] <= position)
            ++file;
        const std::uint32_t c = level.classes[position];
        if (next[c] > first[c] && counts[next[c] - 1].file == file)
            ++counts[next[c] - 1].frequency;
        else
            counts[next[c]++] = {file, 1};
    }
}

} // namespace detail

} // namespace orvanta
