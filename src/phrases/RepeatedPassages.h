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

// How much a search lists, so that a text of one word repeated thousands of times, whose
// passages and occurrences grow with the square of its length, stays within bounds.
struct PassageBounds {
    // At most this many occurrences of one passage are listed: the first in text order.
    std::uint32_t listedOccurrences = 100;
    // The words of all passages together; past it, the longest passages are left out.
    std::uint64_t words = std::uint64_t(16) << 20;
};

// Passages in flat storage. Passage p is lengths[p] words long, occurs counts[p] times, and its
// first occurrences (all of them unless there are more than the bounds list) start at the
// ascending word positions starts[occurrenceBegin[p] .. occurrenceBegin[p + 1]).
struct PassageList {
    std::vector<std::uint32_t> lengths;
    std::vector<std::uint32_t> counts;
    std::vector<std::size_t> occurrenceBegin{0};
    std::vector<std::uint32_t> starts;
    // Every start of every passage, in no particular order: passage p's are the counts[p] from
    // firstRanks[p].
    std::vector<std::uint32_t> suffixOrder;
    std::vector<std::uint32_t> firstRanks;
    // The passages left out for the word bound: those longer than `longestListed` words.
    std::size_t leftOut = 0;
    std::uint32_t longestListed = 0;

    std::size_t size() const { return lengths.size(); }
    std::span<const std::uint32_t> occurrences(std::size_t passage) const
    {
        return std::span(starts).subspan(occurrenceBegin[passage],
                                         occurrenceBegin[passage + 1] - occurrenceBegin[passage]);
    }
    std::span<const std::uint32_t> everyOccurrence(std::size_t passage) const
    {
        return std::span(suffixOrder).subspan(firstRanks[passage], counts[passage]);
    }
};

// Every stretch of at least `minimumWords` words (at least 1) that occurs at least twice, and
// whose occurrences neither all have the same word before them nor all the same word after them.
// Occurrences may overlap. `ids` holds one dense word id per word (each below ids.size()) and
// detail::kLineBreak at every line end; nothing matches across a line break or the ends of the
// text. Passages are ordered by first occurrence, then by length.
//
// A long run of one repeated word gives many passages with many occurrences each: the bounds
// keep what is listed in check, and the list says what they left out. Empty when a stop is
// requested.
PassageList findRepeatedPassages(std::span<const std::uint32_t> ids, std::uint32_t minimumWords,
                                 std::stop_token stop = {}, const PassageBounds &bounds = {});

// Passages are found over the whole text in memory: a count that is to stay within a memory limit
// can find them only while the text is small enough. Fails, saying so, when `words` words need
// more than `memoryLimit` bytes.
Status checkPassageMemory(std::size_t words, std::uint64_t memoryLimit);

} // namespace orvanta
