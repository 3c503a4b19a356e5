#include "phrases/RepeatedPassages.h"

#include "phrases/PhraseLevels.h"
#include "phrases/SuffixArray.h"

#include <algorithm>
#include <map>

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

// The longest passage length that keeps the passages' words within the bound (all when they
// fit).
std::uint32_t longestWithinWords(const std::vector<FoundPassage> &found, std::uint64_t words)
{
    std::map<std::uint32_t, std::uint64_t> wordsByLength;
    std::uint64_t total = 0;
    for (const FoundPassage &passage : found) {
        wordsByLength[passage.length] += passage.length;
        total += passage.length;
    }
    if (total <= words)
        return ~std::uint32_t(0);
    std::uint32_t longest = 0;
    std::uint64_t sum = 0;
    for (const auto &[length, lengthWords] : wordsByLength) {
        if (sum + lengthWords > words)
            break;
        sum += lengthWords;
        longest = length;
    }
    return longest;
}

PassageList gatherOccurrences(std::vector<FoundPassage> &found, std::vector<std::uint32_t> sa,
                              const PassageBounds &bounds)
{
    const std::uint32_t longest = longestWithinWords(found, bounds.words);
    PassageList list;
    const auto tooLong = [longest](const FoundPassage &passage) {
        return passage.length > longest;
    };
    list.leftOut = std::size_t(std::count_if(found.begin(), found.end(), tooLong));
    list.longestListed = list.leftOut > 0 ? longest : 0;
    found.erase(std::remove_if(found.begin(), found.end(), tooLong), found.end());
    std::sort(found.begin(), found.end(), [](const FoundPassage &a, const FoundPassage &b) {
        return a.firstStart != b.firstStart ? a.firstStart < b.firstStart : a.length < b.length;
    });
    std::size_t total = 0;
    for (const FoundPassage &passage : found)
        total += std::min(passage.occurrences, bounds.listedOccurrences);
    list.lengths.reserve(found.size());
    list.counts.reserve(found.size());
    list.firstRanks.reserve(found.size());
    list.occurrenceBegin.reserve(found.size() + 1);
    list.starts.reserve(total);
    std::vector<std::uint32_t> many;
    for (const FoundPassage &passage : found) {
        const auto inSuffixOrder = std::span(sa).subspan(passage.firstRank, passage.occurrences);
        const std::uint32_t listed = std::min(passage.occurrences, bounds.listedOccurrences);
        if (listed == passage.occurrences) {
            list.starts.insert(list.starts.end(), inSuffixOrder.begin(), inSuffixOrder.end());
        } else {
            many.assign(inSuffixOrder.begin(), inSuffixOrder.end());
            std::nth_element(many.begin(), many.begin() + listed, many.end());
            list.starts.insert(list.starts.end(), many.begin(), many.begin() + listed);
        }
        std::sort(list.starts.end() - listed, list.starts.end());
        list.lengths.push_back(passage.length);
        list.counts.push_back(passage.occurrences);
        list.firstRanks.push_back(passage.firstRank);
        list.occurrenceBegin.push_back(list.starts.size());
    }
    list.suffixOrder = std::move(sa);
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
                                 std::stop_token stop, const PassageBounds &bounds)
{
    std::vector<std::uint32_t> sa = detail::buildSuffixArray(ids, stop);
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
    return gatherOccurrences(found, std::move(sa), bounds);
}

} // namespace orvanta
