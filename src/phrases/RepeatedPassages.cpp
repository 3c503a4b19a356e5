#include "phrases/RepeatedPassages.h"

#include "phrases/PhraseLevels.h"
#include "phrases/SuffixArray.h"

#include <algorithm>

namespace orvanta {

namespace {

using detail::kLineBreak;

constexpr std::uint32_t kStopCheckMask = (std::uint32_t(1) << 20) - 1;

// What finding passages holds for each word (the text's ids and word places, the word table, the
// suffix array, its LCP and the passages), and apart from them: orvanta-count --passages 8 took
// 233 MiB over 3.56 million words of real text and 624 MiB over 14.2 million.
constexpr std::uint64_t kPassageBytesPerWord = 40;
constexpr std::uint64_t kPassageBaseBytes = std::uint64_t(96) << 20;

// What is known of the suffixes below a node of the LCP interval tree: their earliest start, and
// whether they are preceded by at least two different words. A line break or the start of the
// text before a suffix differs from every word, including itself at another place.
struct Summary {
    std::uint32_t firstStart = ~std::uint32_t(0);
    std::uint32_t precedingWord = kLineBreak;
    bool leftMaximal = false;

    static Summary ofSuffix(std::span<const std::uint32_t> ids, std::uint32_t start)
    {
        const std::uint32_t before = start == 0 ? kLineBreak : ids[start - 1];
        return {start, before, before == kLineBreak};
    }

    void absorb(const Summary &other)
    {
        firstStart = std::min(firstStart, other.firstStart);
        leftMaximal = leftMaximal || other.leftMaximal || precedingWord != other.precedingWord;
    }
};

// An interval of suffix-array ranks whose suffixes share `length` words, still open at its end.
struct OpenInterval {
    std::uint32_t length;
    std::uint32_t firstRank;
    Summary summary;
};

struct FoundPassage {
    std::uint32_t firstStart;
    std::uint32_t length;
    std::uint32_t firstRank;
    std::uint32_t occurrences;
};

// Walks the LCP intervals bottom-up with a stack. Each closed interval is right-maximal by
// construction (its suffixes differ, or meet a line break, right after the shared words); it is
// a passage when it is also left-maximal. Shared lengths below the minimum count as zero, which
// leaves the intervals at or above it unchanged.
std::vector<FoundPassage> findMaximalIntervals(std::span<const std::uint32_t> ids,
                                               std::span<const std::uint32_t> sa,
                                               std::vector<std::uint32_t> permutedLcp,
                                               std::uint32_t minimumWords,
                                               const std::stop_token &stop)
{
    const auto n = std::uint32_t(ids.size());
    std::vector<FoundPassage> found;
    std::vector<OpenInterval> open{{0, 0, {}}}; // the root, never closed
    for (std::uint32_t rank = 1; rank <= n; ++rank) {
        if ((rank & kStopCheckMask) == 0 && stop.stop_requested())
            return {};
        const std::uint32_t shared = rank < n ? permutedLcp[sa[rank]] : 0;
        const std::uint32_t length = shared >= minimumWords ? shared : 0;
        Summary carry = Summary::ofSuffix(ids, sa[rank - 1]);
        std::uint32_t firstRank = rank - 1;
        while (length < open.back().length) {
            OpenInterval closed = open.back();
            open.pop_back();
            closed.summary.absorb(carry);
            if (closed.summary.leftMaximal)
                found.push_back({closed.summary.firstStart, closed.length, closed.firstRank,
                                 rank - closed.firstRank});
            carry = closed.summary;
            firstRank = closed.firstRank;
        }
        if (length > open.back().length)
            open.push_back({length, firstRank, carry});
        else
            open.back().summary.absorb(carry);
    }
    return found;
}

PassageList gatherOccurrences(std::vector<FoundPassage> &found, std::span<const std::uint32_t> sa)
{
    std::sort(found.begin(), found.end(), [](const FoundPassage &a, const FoundPassage &b) {
        return a.firstStart != b.firstStart ? a.firstStart < b.firstStart : a.length < b.length;
    });
    std::size_t total = 0;
    for (const FoundPassage &passage : found)
        total += passage.occurrences;
    PassageList list;
    list.lengths.reserve(found.size());
    list.occurrenceBegin.reserve(found.size() + 1);
    list.starts.reserve(total);
    for (const FoundPassage &passage : found) {
        const auto inSuffixOrder = sa.subspan(passage.firstRank, passage.occurrences);
        list.starts.insert(list.starts.end(), inSuffixOrder.begin(), inSuffixOrder.end());
        std::sort(list.starts.end() - passage.occurrences, list.starts.end());
        list.lengths.push_back(passage.length);
        list.occurrenceBegin.push_back(list.starts.size());
    }
    return list;
}

} // namespace

Status checkPassageMemory(std::size_t words, std::uint64_t memoryLimit)
{
    const std::uint64_t needed = kPassageBaseBytes + kPassageBytesPerWord * words;
    if (needed <= memoryLimit)
        return {};
    const auto mebibytes = [](std::uint64_t bytes) { return QString::number(bytes >> 20); };
    return Failure{QStringLiteral("Repeated passages are found with the whole text in memory: %1 "
                                  "words need about %2 MiB, more than the memory limit of %3 MiB. "
                                  "Find them without a memory limit, or in fewer files.")
                       .arg(QString::number(words), mebibytes(needed), mebibytes(memoryLimit))};
}

PassageList findRepeatedPassages(std::span<const std::uint32_t> ids, std::uint32_t minimumWords,
                                 std::stop_token stop)
{
    const std::vector<std::uint32_t> sa = detail::buildSuffixArray(ids, stop);
    if (sa.empty())
        return {};
    std::vector<std::uint32_t> permutedLcp = detail::buildPermutedLcp(ids, sa, stop);
    if (permutedLcp.empty())
        return {};
    // The LCP table goes before the occurrences are copied out, which keeps the peak lower.
    std::vector<FoundPassage> found = findMaximalIntervals(
        ids, sa, std::move(permutedLcp), std::max<std::uint32_t>(minimumWords, 1), stop);
    if (stop.stop_requested())
        return {};
    return gatherOccurrences(found, sa);
}

} // namespace orvanta
