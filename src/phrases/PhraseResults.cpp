#include "phrases/PhraseResults.h"

#include <algorithm>
#include <span>
#include <thread>

namespace orvanta {

void PhraseResults::append(std::string_view phrase, int wordCount, int frequency, int files)
{
    m_rows.push_back({m_text.size(), std::uint32_t(phrase.size()), std::uint32_t(wordCount),
                      std::uint32_t(frequency), std::uint32_t(files)});
    m_text.append(phrase);
}

void PhraseResults::append(const PhraseResults &more)
{
    const std::uint64_t shift = m_text.size();
    m_rows.reserve(m_rows.size() + more.m_rows.size());
    for (Entry entry : more.m_rows) {
        entry.offset += shift;
        m_rows.push_back(entry);
    }
    m_text.append(more.m_text);
    m_fileCounts.append(more.m_fileCounts);
}

std::string_view PhraseResults::phraseUtf8(qsizetype index) const
{
    const Entry &entry = m_rows[size_t(index)];
    return std::string_view(m_text.data() + entry.offset, entry.length);
}

std::span<const FileCount> PhraseResults::fileCounts(qsizetype index) const
{
    return hasFileCounts() ? m_fileCounts.row(std::size_t(index)) : std::span<const FileCount>();
}

PhraseRow PhraseResults::row(qsizetype index) const
{
    const std::string_view phrase = phraseUtf8(index);
    return {QString::fromUtf8(phrase.data(), qsizetype(phrase.size())), wordCount(index),
            frequency(index)};
}

namespace {

// Eight bytes of a phrase from `offset` as a big-endian number, zero-padded: when two chunks
// differ, they order the phrases as their bytes do.
std::uint64_t chunkAt(std::string_view phrase, std::size_t offset)
{
    std::uint64_t chunk = 0;
    for (std::size_t i = offset; i < offset + sizeof chunk; ++i)
        chunk = (chunk << 8) | (i < phrase.size() ? std::uint8_t(phrase[i]) : 0u);
    return chunk;
}

struct SortKey {
    std::uint32_t frequency;
    std::uint32_t row;
    std::uint64_t chunk; // the phrase's bytes at the offset being sorted
};

bool chunkBefore(const SortKey &a, const SortKey &b)
{
    return a.frequency != b.frequency ? a.frequency < b.frequency : a.chunk < b.chunk;
}

bool sameChunk(const SortKey &a, const SortKey &b)
{
    return a.frequency == b.frequency && a.chunk == b.chunk;
}

// Halves split by nth_element are sorted at once, one on each core.
void sortOnBothCores(std::span<SortKey> keys)
{
    if (keys.size() < 100000 || std::thread::hardware_concurrency() < 2) {
        std::sort(keys.begin(), keys.end(), chunkBefore);
        return;
    }
    const auto middle = keys.begin() + std::ptrdiff_t(keys.size() / 2);
    std::nth_element(keys.begin(), middle, keys.end(), chunkBefore);
    std::thread helper([&] { std::sort(keys.begin(), middle, chunkBefore); });
    std::sort(middle, keys.end(), chunkBefore);
    helper.join();
}

// Orders phrases eight bytes at a time: comparisons read the keys' chunks, and each phrase's text
// is read once for each chunk that it needs, instead of at every comparison of a tie.
class ChunkSort {
public:
    explicit ChunkSort(const PhraseResults &results)
        : m_results(results)
    {
    }

    // `keys`, sorted by frequency and their chunks at `offset`, get the order of their phrases
    // among keys of the same frequency and chunk. Byte order of UTF-8 is code point order.
    void orderTies(std::span<SortKey> keys, std::size_t offset) const
    {
        for (std::size_t begin = 0, end = 0; begin < keys.size(); begin = end) {
            end = begin + 1;
            while (end < keys.size() && sameChunk(keys[begin], keys[end]))
                ++end;
            if (end - begin > 1)
                orderAlike(keys.subspan(begin, end - begin), offset);
        }
    }

private:
    // Keys whose phrases agree in their first offset + 8 bytes, zero padding included: a phrase
    // that ends there is a beginning of every longer one.
    void orderAlike(std::span<SortKey> keys, std::size_t offset) const
    {
        const std::size_t next = offset + sizeof(SortKey::chunk);
        const auto longer = std::partition(keys.begin(), keys.end(),
                                           [&](const SortKey &key) { return length(key) <= next; });
        std::sort(keys.begin(), longer,
                  [&](const SortKey &a, const SortKey &b) { return length(a) < length(b); });
        const std::span<SortKey> rest(longer, keys.end());
        if (rest.size() < 2)
            return;
        for (SortKey &key : rest)
            key.chunk = chunkAt(m_results.phraseUtf8(key.row), next);
        std::sort(rest.begin(), rest.end(), chunkBefore);
        orderTies(rest, next);
    }

    std::size_t length(const SortKey &key) const { return m_results.phraseUtf8(key.row).size(); }

    const PhraseResults &m_results;
};

// The ties are ordered in two parts that split no tie, one on each core.
void orderTiesOnBothCores(std::span<SortKey> keys, const ChunkSort &chunks)
{
    if (keys.size() < 100000 || std::thread::hardware_concurrency() < 2) {
        chunks.orderTies(keys, 0);
        return;
    }
    std::size_t middle = keys.size() / 2;
    while (middle < keys.size() && sameChunk(keys[middle - 1], keys[middle]))
        ++middle;
    std::thread helper([&] { chunks.orderTies(keys.first(middle), 0); });
    chunks.orderTies(keys.subspan(middle), 0);
    helper.join();
}

// The rows in the given order. Each row is fetched on its own, so the fetches overlap:
// following the permutation's cycles in place made each fetch wait for the one before.
template <typename Rows>
Rows inOrder(const Rows &rows, const detail::LargeArray<std::uint32_t> &order)
{
    Rows ordered;
    ordered.reserve(rows.size());
    for (const std::uint32_t row : order)
        ordered.push_back(rows[row]);
    return ordered;
}

} // namespace

void PhraseResults::reserve(std::size_t rows, std::size_t textBytes)
{
    m_rows.reserve(rows);
    m_text.reserve(textBytes);
}

std::uint64_t PhraseResults::bytesHeld() const
{
    return detail::bytesOf(m_rows) + detail::bytesOf(m_text) + m_fileCounts.bytesHeld();
}

detail::LargeArray<std::uint32_t> PhraseResults::displayOrder() const
{
    detail::LargeArray<SortKey> keys(m_rows.size());
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        keys[row] = {m_rows[row].frequency, std::uint32_t(row),
                     chunkAt(phraseUtf8(qsizetype(row)), 0)};
    sortOnBothCores(keys);
    orderTiesOnBothCores(keys, ChunkSort(*this));
    detail::LargeArray<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].row;
    return order;
}

void PhraseResults::sortForDisplay()
{
    const detail::LargeArray<std::uint32_t> order = displayOrder();
    m_rows = inOrder(m_rows, order);
    if (hasFileCounts())
        m_fileCounts.reorder(std::span<const std::uint32_t>(order.data(), order.size()));
    m_text = textInRowOrder();
}

// The phrases laid out in the order of the rows, so that whoever reads the rows in order reads
// the text straight through instead of at scattered places.
detail::LargeText PhraseResults::textInRowOrder()
{
    constexpr std::size_t kAhead = 16;
    detail::LargeText text;
    text.reserve(m_text.size());
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (row + kAhead < m_rows.size())
            __builtin_prefetch(m_text.data() + m_rows[row + kAhead].offset);
        Entry &entry = m_rows[row];
        const std::uint64_t offset = text.size();
        text.append(m_text.data() + entry.offset, entry.length);
        entry.offset = offset;
    }
    return text;
}

} // namespace orvanta
