#pragma once

// Where a phrase stands in each file, for a dispersion plot.

#include "phrases/PerFileCounts.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orvanta {

// One occurrence of a phrase: its file, how many words of the file come before it, and that as
// a share of the file's words (0 at the start, below 1).
struct PhrasePosition {
    std::uint32_t file = 0;
    std::uint32_t word = 0;
    double relative = 0;
    bool operator==(const PhrasePosition &) const = default;
};

namespace detail {

// The words of a count: word ids with each line closed by kLineBreak, the position where each
// file starts and the line breaks before each file's start.
struct CountedWords {
    std::span<const std::uint32_t> ids;
    std::span<const std::uint32_t> documentStarts;
    std::span<const std::uint64_t> lineBreaksBefore;
    std::uint64_t lineBreaks = 0; // in all

    std::size_t documents() const;
    // File d runs from its start to the next file's; the first also holds what came before it.
    std::uint32_t begin(std::size_t document) const;
    std::uint32_t end(std::size_t document) const;
    std::uint64_t wordsOf(std::size_t document) const;
};

// Every occurrence of the word sequence `phrase` in file order, then text order. Only the files
// named in `files` are searched when it is not empty.
std::vector<PhrasePosition> positionsOf(const CountedWords &words,
                                        std::span<const std::uint32_t> phrase,
                                        std::span<const FileCount> files);

} // namespace detail

} // namespace orvanta
