#pragma once

#include "phrases/PhraseLevels.h"

#include <cstdint>
#include <map>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace orvanta {

// "a b | a b" -> {0, 1, kLineBreak, 0, 1}: one dense id per distinct word in order of first
// sight, "|" for a line break.
inline std::vector<std::uint32_t> idsOf(const std::string &text)
{
    std::map<std::string, std::uint32_t> idOf;
    std::vector<std::uint32_t> ids;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (word == "|")
            ids.push_back(detail::kLineBreak);
        else
            ids.push_back(idOf.try_emplace(word, std::uint32_t(idOf.size())).first->second);
    }
    return ids;
}

// Builds word-id texts from random words and planted stretches. The ids are made dense when
// the text is taken.
class GeneratedText {
public:
    explicit GeneratedText(std::uint32_t seed)
        : m_random(seed)
    {
    }

    std::mt19937 &random() { return m_random; }

    std::uint32_t below(std::uint32_t bound)
    {
        return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(m_random);
    }

    std::vector<std::uint32_t> randomWords(std::uint32_t count, std::uint32_t vocabulary)
    {
        std::vector<std::uint32_t> words(count);
        for (std::uint32_t &word : words)
            word = below(vocabulary);
        return words;
    }

    GeneratedText &add(std::span<const std::uint32_t> words)
    {
        m_ids.insert(m_ids.end(), words.begin(), words.end());
        return *this;
    }
    GeneratedText &addRandom(std::uint32_t count, std::uint32_t vocabulary)
    {
        return add(randomWords(count, vocabulary));
    }
    GeneratedText &endLine()
    {
        m_ids.push_back(detail::kLineBreak);
        return *this;
    }

    // The text with ids renumbered densely; half the time without the last line break.
    std::vector<std::uint32_t> take()
    {
        if (!m_ids.empty() && m_ids.back() == detail::kLineBreak && below(2) == 0)
            m_ids.pop_back();
        std::map<std::uint32_t, std::uint32_t> dense;
        for (std::uint32_t &id : m_ids) {
            if (id != detail::kLineBreak)
                id = dense.try_emplace(id, std::uint32_t(dense.size())).first->second;
        }
        return std::move(m_ids);
    }

private:
    std::mt19937 m_random;
    std::vector<std::uint32_t> m_ids;
};

} // namespace orvanta
