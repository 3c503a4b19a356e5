#include "phrases/SuffixArray.h"

#include "phrases/PhraseLevels.h"

#include <algorithm>
#include <stdexcept>

namespace orvanta::detail {

namespace {

constexpr std::uint32_t kEmpty = ~std::uint32_t(0);
constexpr std::size_t kStopCheckInterval = std::size_t(1) << 20;

// The word ids as SA-IS sees them: each word moved up by two, a line break as 1, and after the
// last word an end marker 0, the unique smallest symbol the algorithm needs.
class WordText {
public:
    explicit WordText(std::span<const std::uint32_t> ids)
        : m_ids(ids)
    {
    }

    std::uint32_t operator[](std::size_t i) const
    {
        if (i == m_ids.size())
            return 0;
        return m_ids[i] == kLineBreak ? 1 : m_ids[i] + 2;
    }
    std::size_t size() const { return m_ids.size() + 1; }

private:
    std::span<const std::uint32_t> m_ids;
};

// Suffix sorting by induced sorting (SA-IS, Nong, Zhang and Chan 2009). The text's last symbol
// must be its unique smallest one; every symbol must be below the alphabet size.
template <typename Text> class InducedSorter {
public:
    InducedSorter(Text text, std::uint32_t alphabetSize, std::span<std::uint32_t> sa)
        : m_text(text)
        , m_size(std::uint32_t(text.size()))
        , m_sa(sa)
        , m_bucketSizes(alphabetSize, 0)
        , m_bucketEdges(alphabetSize)
    {
    }

    // False when stopped; the order is then unfinished.
    bool sort(const std::stop_token &stop)
    {
        classify();
        sortLmsSubstrings();
        if (stop.stop_requested())
            return false;
        // The reduced text and its suffix array fit in the two halves of this one, which holds
        // nothing else while they are in use.
        const std::uint32_t count = compactSortedLms();
        const std::uint32_t names = nameLmsSubstrings(count);
        if (!sortReduced(m_sa.last(count), names, m_sa.first(count), stop))
            return false;
        placeSortedLms(count);
        induce();
        return !stop.stop_requested();
    }

private:
    static bool sortReduced(std::span<const std::uint32_t> reduced, std::uint32_t names,
                            std::span<std::uint32_t> reducedSa, const std::stop_token &stop)
    {
        if (names < reduced.size())
            return InducedSorter<std::span<const std::uint32_t>>(reduced, names, reducedSa)
                .sort(stop);
        // All names differ, so each name is already its suffix's rank.
        for (std::uint32_t i = 0; i < reduced.size(); ++i)
            reducedSa[reduced[i]] = i;
        return true;
    }

    // S: smaller than the suffix after it; L: larger. LMS: an S with an L before it.
    enum Type : std::uint8_t { kL, kS };

    bool isLms(std::uint32_t i) const { return i > 0 && m_types[i] == kS && m_types[i - 1] == kL; }

    void classify()
    {
        m_types.assign(m_size, kS);
        for (std::uint32_t i = m_size - 1; i-- > 0;) {
            const std::uint32_t here = m_text[i];
            const std::uint32_t next = m_text[i + 1];
            m_types[i] = here < next ? kS : here > next ? kL : m_types[i + 1];
        }
        for (std::uint32_t i = 0; i < m_size; ++i)
            ++m_bucketSizes[m_text[i]];
    }

    // Heads and tails share one table: as large as the alphabet, which in a reduced text can
    // be nearly as large as the text.
    std::vector<std::uint32_t> &bucketHeads()
    {
        std::uint32_t sum = 0;
        for (std::size_t c = 0; c < m_bucketEdges.size(); ++c) {
            m_bucketEdges[c] = sum;
            sum += m_bucketSizes[c];
        }
        return m_bucketEdges;
    }

    std::vector<std::uint32_t> &bucketTails()
    {
        std::uint32_t sum = 0;
        for (std::size_t c = 0; c < m_bucketEdges.size(); ++c) {
            sum += m_bucketSizes[c];
            m_bucketEdges[c] = sum;
        }
        return m_bucketEdges;
    }

    // From LMS suffixes at their bucket tails, places every L suffix, then every S suffix.
    void induce()
    {
        std::vector<std::uint32_t> &heads = bucketHeads();
        for (std::uint32_t rank = 0; rank < m_size; ++rank) {
            const std::uint32_t p = m_sa[rank];
            if (p != kEmpty && p > 0 && m_types[p - 1] == kL)
                m_sa[heads[m_text[p - 1]]++] = p - 1;
        }
        std::vector<std::uint32_t> &tails = bucketTails();
        for (std::uint32_t rank = m_size; rank-- > 0;) {
            const std::uint32_t p = m_sa[rank];
            if (p != kEmpty && p > 0 && m_types[p - 1] == kS)
                m_sa[--tails[m_text[p - 1]]] = p - 1;
        }
    }

    void sortLmsSubstrings()
    {
        std::fill(m_sa.begin(), m_sa.end(), kEmpty);
        std::vector<std::uint32_t> &tails = bucketTails();
        for (std::uint32_t i = 1; i < m_size; ++i) {
            if (isLms(i))
                m_sa[--tails[m_text[i]]] = i;
        }
        induce();
    }

    bool sameLmsSubstring(std::uint32_t a, std::uint32_t b) const
    {
        for (std::uint32_t d = 0;; ++d) {
            if (m_text[a + d] != m_text[b + d] || m_types[a + d] != m_types[b + d])
                return false;
            if (d > 0 && (isLms(a + d) || isLms(b + d)))
                return isLms(a + d) && isLms(b + d);
        }
    }

    // Moves the LMS positions, in their sorted order, to the front. Returns how many there are:
    // at most half the text, as they are at least two apart.
    std::uint32_t compactSortedLms()
    {
        std::uint32_t count = 0;
        for (std::uint32_t rank = 0; rank < m_size; ++rank) {
            if (isLms(m_sa[rank]))
                m_sa[count++] = m_sa[rank];
        }
        return count;
    }

    // Names each of the `count` sorted LMS substrings at the front by its rank among the
    // distinct ones, and writes the names in text order to the last `count` entries. Returns
    // the number of distinct names.
    std::uint32_t nameLmsSubstrings(std::uint32_t count)
    {
        // Position / 2 gives each LMS position its own slot behind the sorted ones.
        std::fill(m_sa.begin() + count, m_sa.end(), kEmpty);
        std::uint32_t names = 0;
        for (std::uint32_t k = 0; k < count; ++k) {
            if (k == 0 || !sameLmsSubstring(m_sa[k - 1], m_sa[k]))
                ++names;
            m_sa[count + m_sa[k] / 2] = names - 1;
        }
        std::uint32_t end = m_size;
        for (std::uint32_t slot = m_size; slot-- > count;) {
            if (m_sa[slot] != kEmpty)
                m_sa[--end] = m_sa[slot];
        }
        return names;
    }

    // Turns the sorted reduced suffixes at the front back into LMS positions and places them, in
    // order, at the tails of their buckets.
    void placeSortedLms(std::uint32_t count)
    {
        const std::span<std::uint32_t> lmsPositions = m_sa.last(count);
        std::uint32_t next = 0;
        for (std::uint32_t i = 1; i < m_size; ++i) {
            if (isLms(i))
                lmsPositions[next++] = i;
        }
        for (std::uint32_t &entry : m_sa.first(count))
            entry = lmsPositions[entry];
        std::fill(m_sa.begin() + count, m_sa.end(), kEmpty);
        // The k-th smallest LMS suffix goes to rank k or later, so no entry still to be moved
        // is overwritten.
        std::vector<std::uint32_t> &tails = bucketTails();
        for (std::uint32_t k = count; k-- > 0;) {
            const std::uint32_t position = m_sa[k];
            m_sa[k] = kEmpty;
            m_sa[--tails[m_text[position]]] = position;
        }
    }

    Text m_text;
    std::uint32_t m_size;
    std::span<std::uint32_t> m_sa;
    std::vector<std::uint32_t> m_bucketSizes;
    std::vector<std::uint32_t> m_bucketEdges;
    std::vector<Type> m_types;
};

// Dense ids keep the sort's bucket tables no larger than the text.
std::uint32_t alphabetSize(std::span<const std::uint32_t> ids)
{
    std::uint32_t largest = 0;
    for (std::uint32_t id : ids) {
        if (id != kLineBreak)
            largest = std::max(largest, id);
    }
    if (!ids.empty() && largest >= ids.size())
        throw std::invalid_argument("word ids must be below the number of ids");
    return largest + 3;
}

} // namespace

std::vector<std::uint32_t> buildSuffixArray(std::span<const std::uint32_t> ids,
                                            std::stop_token stop)
{
    if (ids.size() >= kLineBreak - 1)
        throw std::length_error("too many words for 32-bit positions");
    if (ids.empty())
        return {};
    const WordText text(ids);
    std::vector<std::uint32_t> sa(text.size());
    if (!InducedSorter<WordText>(text, alphabetSize(ids), sa).sort(stop))
        return {};
    sa.erase(sa.begin()); // the end marker
    return sa;
}

std::vector<std::uint32_t> buildPermutedLcp(std::span<const std::uint32_t> ids,
                                            std::span<const std::uint32_t> suffixArray,
                                            std::stop_token stop)
{
    // Kasai's method in the permuted form: first each position's predecessor in the order,
    // then the shared lengths in text order, where each is at least the previous one less one.
    const std::size_t n = ids.size();
    std::vector<std::uint32_t> lcp(n);
    if (n == 0)
        return lcp;
    lcp[suffixArray[0]] = kEmpty;
    for (std::size_t rank = 1; rank < n; ++rank)
        lcp[suffixArray[rank]] = suffixArray[rank - 1];
    std::uint32_t shared = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % kStopCheckInterval == 0 && stop.stop_requested())
            return {};
        const std::uint32_t before = lcp[i];
        if (before == kEmpty || ids[i] == kLineBreak) {
            lcp[i] = 0;
            shared = 0;
            continue;
        }
        while (i + shared < n && before + shared < n && ids[i + shared] == ids[before + shared] &&
               ids[i + shared] != kLineBreak)
            ++shared;
        lcp[i] = shared;
        shared -= shared > 0;
    }
    return lcp;
}

} // namespace orvanta::detail
