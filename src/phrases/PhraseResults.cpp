#include "phrases/PhraseResults.h"

#include <algorithm>
#include <thread>

namespace orvanta {

void PhraseResults::append(std::string_view phrase, int wordCount, int frequency, int files)
{
    m_rows.push_back({m_text.size(), std::uint32_t(phrase.size()), std::uint32_t(wordCount),
                      std::uint32_t(frequency), std::uint32_t(files)});
    m_text.append(phrase);
}

std::string_view PhraseResults::phraseUtf8(qsizetype index) const
{
    const Entry &entry = m_rows[size_t(index)];
    return std::string_view(m_text.data() + entry.offset, entry.length);
}

PhraseRow PhraseResults::row(qsizetype index) const
{
    const std::string_view phrase = phraseUtf8(index);
    return {QString::fromUtf8(phrase.data(), qsizetype(phrase.size())), wordCount(index),
            frequency(index)};
}

namespace {

// The first eight bytes of a phrase as a big-endian number, zero-padded: when two keys differ,
// they order the phrases as their bytes do.
std::uint64_t prefixKey(std::string_view phrase)
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < sizeof key; ++i)
        key = (key << 8) | (i < phrase.size() ? std::uint8_t(phrase[i]) : 0u);
    return key;
}

struct SortKey {
    std::uint32_t frequency;
    std::uint32_t row;
    std::uint64_t prefix;
};

// Halves split by nth_element are sorted at once, one on each core.
template <typename Before>
void sortOnBothCores(detail::LargeArray<SortKey> &keys, const Before &before)
{
    if (keys.size() < 100000 || std::thread::hardware_concurrency() < 2) {
        std::sort(keys.begin(), keys.end(), before);
        return;
    }
    const auto middle = keys.begin() + std::ptrdiff_t(keys.size() / 2);
    std::nth_element(keys.begin(), middle, keys.end(), before);
    std::thread helper([&] { std::sort(keys.begin(), middle, before); });
    std::sort(middle, keys.end(), before);
    helper.join();
}

// The rows in the order of the keys. Each row is fetched on its own, so the fetches overlap:
// following the permutation's cycles in place made each fetch wait for the one before.
template <typename Rows> Rows inOrder(const Rows &rows, const detail::LargeArray<SortKey> &keys)
{
    Rows ordered;
    ordered.reserve(rows.size());
    for (const SortKey &key : keys)
        ordered.push_back(rows[key.row]);
    return ordered;
}

} // namespace

void PhraseResults::sortForDisplay()
{
    detail::LargeArray<SortKey> keys(m_rows.size());
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        keys[row] = {m_rows[row].frequency, std::uint32_t(row),
                     prefixKey(phraseUtf8(qsizetype(row)))};
    // Byte order of UTF-8 is code point order.
    const auto before = [this](const SortKey &a, const SortKey &b) {
        if (a.frequency != b.frequency)
            return a.frequency < b.frequency;
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const std::string_view first = phraseUtf8(a.row);
        const std::string_view second = phraseUtf8(b.row);
        const std::size_t skip = std::min({sizeof a.prefix, first.size(), second.size()});
        return first.substr(skip) < second.substr(skip);
    };
    sortOnBothCores(keys, before);
    m_rows = inOrder(m_rows, keys);
}

} // namespace orvanta
