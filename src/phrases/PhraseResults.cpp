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
    return std::string_view(m_text).substr(entry.offset, entry.length);
}

PhraseRow PhraseResults::row(qsizetype index) const
{
    const std::string_view phrase = phraseUtf8(index);
    return {QString::fromUtf8(phrase.data(), qsizetype(phrase.size())), wordCount(index),
            frequency(index)};
}

void PhraseResults::sortForDisplay()
{
    // Byte order of UTF-8 is code point order.
    const std::string_view text(m_text);
    const auto before = [text](const Entry &a, const Entry &b) {
        if (a.frequency != b.frequency)
            return a.frequency < b.frequency;
        return text.substr(a.offset, a.length) < text.substr(b.offset, b.length);
    };
    // Two halves sorted at once, then merged.
    const auto middle = m_rows.begin() + std::ptrdiff_t(m_rows.size() / 2);
    if (m_rows.size() < 100000 || std::thread::hardware_concurrency() < 2) {
        std::sort(m_rows.begin(), m_rows.end(), before);
        return;
    }
    std::thread helper([&] { std::sort(m_rows.begin(), middle, before); });
    std::sort(middle, m_rows.end(), before);
    helper.join();
    std::inplace_merge(m_rows.begin(), middle, m_rows.end(), before);
}

} // namespace orvanta
