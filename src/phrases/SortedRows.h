#pragma once

#include "phrases/PhraseResults.h"
#include "phrases/RowOrder.h"
#include "phrases/SpillFile.h"

#include <functional>
#include <memory>
#include <span>
#include <stop_token>
#include <vector>

namespace orvanta {

// Takes rows one by one; false when it wants no more.
using RowConsumer = std::function<bool(const RowView &row)>;

namespace detail {

// Result rows that come in any order and leave in a selection's order. They are kept in memory
// up to a budget, then sorted and written to a spill file as a run; at the end the runs are
// merged, at most `mergeWidth` at once. Every phrase comes at most once.
class SortedRows {
public:
    SortedRows(const SpillFolder &folder, RowSelection selection, std::uint64_t budgetBytes,
               std::size_t bufferBytes, int mergeWidth);
    ~SortedRows();

    // Keeps the row when it reaches the selection's minimums.
    Status add(std::string_view phrase, int wordCount, int frequency, int files);
    // Hands the rows kept, in order, to `consumer` until it declines or the selection's top rows
    // were handed over.
    Status handOver(const RowConsumer &consumer, std::stop_token stop = {});

    // Memory a row takes here, its phrase apart: its entry and, while sorted, its sort key.
    static constexpr std::uint64_t kBytesPerRow = 48;

private:
    void startBuffer();
    detail::LargeArray<std::uint32_t> bufferOrder() const;
    Status spillBuffer();
    Status mergeDown(std::stop_token stop);
    Status merge(std::span<const std::unique_ptr<SpillFile>> runs, const RowConsumer &consumer,
                 std::stop_token stop);

    const SpillFolder &m_folder;
    const RowSelection m_selection;
    const std::uint64_t m_budget;
    const std::size_t m_bufferBytes;
    const std::size_t m_mergeWidth;
    PhraseResults m_buffer;
    std::uint64_t m_bufferedBytes = 0;
    std::vector<std::unique_ptr<SpillFile>> m_runs; // sorted runs
};

} // namespace detail
} // namespace orvanta
