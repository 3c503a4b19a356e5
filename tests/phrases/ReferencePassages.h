#pragma once

#include "phrases/PhraseLevels.h"
#include "phrases/RepeatedPassages.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <span>
#include <vector>

namespace orvanta {

struct Passage {
    std::uint32_t length;
    std::vector<std::uint32_t> starts;

    bool operator==(const Passage &) const = default;
};

inline void PrintTo(const Passage &passage, std::ostream *out)
{
    *out << passage.length << " words at";
    for (std::uint32_t start : passage.starts)
        *out << ' ' << start;
}

inline std::vector<Passage> passagesOf(const PassageList &list)
{
    std::vector<Passage> passages;
    for (std::size_t p = 0; p < list.size(); ++p) {
        const auto starts = list.occurrences(p);
        passages.push_back({list.lengths[p], {starts.begin(), starts.end()}});
    }
    return passages;
}

// A deliberately plain search: every stretch of at least `minimumWords` words inside one line,
// with all the places it starts; kept when it occurs at least twice and cannot be extended by a
// word on either side without losing an occurrence.
inline std::vector<Passage> referencePassages(std::span<const std::uint32_t> ids,
                                              std::uint32_t minimumWords)
{
    using detail::kLineBreak;
    std::map<std::vector<std::uint32_t>, std::vector<std::uint32_t>> startsOf;
    for (std::size_t begin = 0; begin < ids.size(); ++begin) {
        std::vector<std::uint32_t> stretch;
        for (std::size_t end = begin; end < ids.size() && ids[end] != kLineBreak; ++end) {
            stretch.push_back(ids[end]);
            if (stretch.size() >= std::max<std::uint32_t>(minimumWords, 1))
                startsOf[stretch].push_back(std::uint32_t(begin));
        }
    }
    const auto wordAt = [&](std::int64_t position) {
        return position < 0 || position >= std::int64_t(ids.size()) ? kLineBreak : ids[position];
    };
    const auto extendable = [&](const std::vector<std::uint32_t> &starts, std::int64_t offset) {
        const std::uint32_t word = wordAt(starts.front() + offset);
        return word != kLineBreak && std::all_of(starts.begin(), starts.end(), [&](auto start) {
                   return wordAt(start + offset) == word;
               });
    };
    std::vector<Passage> passages;
    for (const auto &[stretch, starts] : startsOf) {
        const auto length = std::int64_t(stretch.size());
        if (starts.size() >= 2 && !extendable(starts, -1) && !extendable(starts, length))
            passages.push_back({std::uint32_t(length), starts});
    }
    std::sort(passages.begin(), passages.end(), [](const Passage &a, const Passage &b) {
        return a.starts.front() != b.starts.front() ? a.starts.front() < b.starts.front()
                                                    : a.length < b.length;
    });
    return passages;
}

} // namespace orvanta
