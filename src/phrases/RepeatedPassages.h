#pragma once

// The longest repeated stretches of text without their fragments: maximal repeats over the
// counting engine's word ids.

#include "base/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <stop_token>
#include <vector>

namespace orvanta {

// Passages in flat storage. Passage p is lengths[p] words long and starts at the ascending word
// positions starts[occurrenceBegin[p] .. occurrenceBegin[p + 1]).
struct PassageList {
    std::vector<std::uint32_t> lengths;
    std::vector<std::size_t> occurrenceBegin{0};
    std::vector<std::uint32_t> starts;

    std::size_t size() const { return lengths.size(); }
    std::span<const std::uint32_t> occurrences(std::size_t passage) const
    {
        return std::span(starts).subspan(occurrenceBegin[passage],
                                         occurrenceBegin[passage + 1] - occurrenceBegin[passage]);
    }
};

// Every stretch of at least `minimumWords` words (at least 1) that occurs at least twice, and
// whose occurrences neither all have the same word before them nor all the same word after them.
// Occurrences may overlap. `ids` holds one dense word id per word (each below ids.size()) and
// detail::kLineBreak at every line end; nothing matches across a line break or the ends of the
// text. Passages are ordered by first occurrence, then by length.
//
// The output holds every occurrence of every passage, so a long run of one repeated word gives
// many passages with many occurrences each. Empty when a stop is requested.
PassageList findRepeatedPassages(std::span<const std::uint32_t> ids, std::uint32_t minimumWords,
                                 std::stop_token stop = {});

// Passages are found over the whole text in memory: a count that is to stay within a memory limit
// can find them only while the text is small enough. Fails, saying so, when `words` words need
// more than `memoryLimit` bytes.
Status checkPassageMemory(std::size_t words, std::uint64_t memoryLimit);

} // namespace orvanta
