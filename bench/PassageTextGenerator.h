#pragma once

// Generated word-id texts with planted repeats, for the repeated-passage benchmarks.

#include "phrases/PhraseLevels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace orvanta::bench {

inline constexpr std::uint32_t kPassageMinimumWords = 8;

// Zipf-distributed words in lines of 8 to 14, where some lines repeat an earlier line and some
// blocks of 50 to 500 words repeat an earlier stretch, as boilerplate and duplicated pages do.
class PassageTextGenerator {
public:
    PassageTextGenerator()
        : m_random(kSeed)
    {
        double total = 0;
        for (std::size_t rank = 0; rank < kVocabularySize; ++rank) {
            total += 1.0 / std::pow(double(rank + 1), kZipfExponent);
            m_cumulative.push_back(total);
        }
    }

    std::vector<std::uint32_t> make(std::size_t wordCount)
    {
        std::vector<std::uint32_t> ids;
        ids.reserve(wordCount + wordCount / 8);
        std::size_t words = 0;
        while (words < wordCount) {
            const int roll = percentile();
            if (roll < 3 && !m_lineStarts.empty())
                words += repeatLine(ids);
            else if (roll == 3 && words > 500 && percentile() < 20)
                words += repeatBlock(ids);
            else
                words += addLine(ids);
        }
        return denseIds(std::move(ids));
    }

private:
    static constexpr std::size_t kVocabularySize = 50000;
    static constexpr double kZipfExponent = 1.05;
    static constexpr std::uint64_t kSeed = 20240607;

    int percentile() { return std::uniform_int_distribution<int>(0, 99)(m_random); }

    std::size_t pick(std::size_t bound)
    {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random);
    }

    std::uint32_t zipfWord()
    {
        const double target =
            std::uniform_real_distribution<double>(0.0, m_cumulative.back())(m_random);
        const auto rank =
            std::size_t(std::lower_bound(m_cumulative.begin(), m_cumulative.end(), target) -
                        m_cumulative.begin());
        return std::uint32_t(std::min(rank, kVocabularySize - 1));
    }

    std::size_t addLine(std::vector<std::uint32_t> &ids)
    {
        if (m_lineStarts.size() < 1000 && percentile() == 0)
            m_lineStarts.push_back(ids.size());
        const std::size_t length = 8 + pick(7);
        for (std::size_t w = 0; w < length; ++w)
            ids.push_back(zipfWord());
        ids.push_back(orvanta::detail::kLineBreak);
        return length;
    }

    std::size_t repeatLine(std::vector<std::uint32_t> &ids)
    {
        std::size_t start = m_lineStarts[pick(m_lineStarts.size())];
        std::size_t words = 0;
        for (; ids[start] != orvanta::detail::kLineBreak; ++start, ++words)
            ids.push_back(ids[start]);
        ids.push_back(orvanta::detail::kLineBreak);
        return words;
    }

    std::size_t repeatBlock(std::vector<std::uint32_t> &ids)
    {
        const std::size_t length = 50 + pick(451);
        const std::size_t start = pick(ids.size() - length);
        for (std::size_t i = start; i < start + length; ++i)
            ids.push_back(ids[i]);
        ids.push_back(orvanta::detail::kLineBreak);
        return std::size_t(
            std::count_if(ids.end() - std::ptrdiff_t(length) - 1, ids.end(),
                          [](auto id) { return id != orvanta::detail::kLineBreak; }));
    }

    // The counting engine numbers words in order of first sight.
    static std::vector<std::uint32_t> denseIds(std::vector<std::uint32_t> ids)
    {
        std::vector<std::uint32_t> dense(kVocabularySize, orvanta::detail::kLineBreak);
        std::uint32_t next = 0;
        for (std::uint32_t &id : ids) {
            if (id == orvanta::detail::kLineBreak)
                continue;
            if (dense[id] == orvanta::detail::kLineBreak)
                dense[id] = next++;
            id = dense[id];
        }
        return ids;
    }

    std::mt19937_64 m_random;
    std::vector<double> m_cumulative;
    std::vector<std::size_t> m_lineStarts; // lines that get repeated
};

} // namespace orvanta::bench
