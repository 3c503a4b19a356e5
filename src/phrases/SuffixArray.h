#pragma once

// Suffix array and longest common prefixes over word ids, for finding repeated passages.

#include <cstdint>
#include <span>
#include <stop_token>
#include <vector>

namespace orvanta::detail {

// The start positions of all suffixes of `ids` in ascending order, comparing word ids as numbers,
// with a line break (kLineBreak) before every word and the end of the text before everything.
// `ids` must be dense (every word id below ids.size()) and shorter than kLineBreak - 1. Empty
// when a stop is requested.
std::vector<std::uint32_t> buildSuffixArray(std::span<const std::uint32_t> ids,
                                            std::stop_token stop = {});

// For each position i, the number of words the suffix at i shares with the suffix before it in
// `suffixArray`, counting only up to the first line break in either (no line break equals
// anything). Indexed by text position, not by rank. Empty when a stop is requested.
std::vector<std::uint32_t> buildPermutedLcp(std::span<const std::uint32_t> ids,
                                            std::span<const std::uint32_t> suffixArray,
                                            std::stop_token stop = {});

} // namespace orvanta::detail
