#include "phrases/PhrasePositions.h"

#include "phrases/PhraseLevels.h"

#include <algorithm>

namespace orvanta::detail {

std::size_t CountedWords::documents() const
{
    if (!documentStarts.empty())
        return documentStarts.size();
    return ids.empty() ? 0 : 1;
}

std::uint32_t CountedWords::begin(std::size_t document) const
{
    return document == 0 ? 0 : documentStarts[document];
}

std::uint32_t CountedWords::end(std::size_t document) const
{
    return document + 1 < documentStarts.size() ? documentStarts[document + 1]
                                                : std::uint32_t(ids.size());
}

std::uint64_t CountedWords::wordsOf(std::size_t document) const
{
    const std::uint64_t breaksBefore = document == 0 ? 0 : lineBreaksBefore[document];
    const std::uint64_t breaksAfter =
        document + 1 < documentStarts.size() ? lineBreaksBefore[document + 1] : lineBreaks;
    return end(document) - begin(document) - (breaksAfter - breaksBefore);
}

namespace {

// The occurrences in one file. A word's place in the file is its position less the line breaks
// before it, counted between one occurrence and the next.
void addPositionsIn(const CountedWords &words, std::size_t document,
                    std::span<const std::uint32_t> phrase, std::vector<PhrasePosition> &found)
{
    const std::uint32_t begin = words.begin(document);
    const std::uint32_t end = words.end(document);
    if (phrase.empty() || end - begin < phrase.size())
        return;
    const double fileWords = double(words.wordsOf(document));
    const std::uint32_t *ids = words.ids.data();
    const std::uint32_t last = end - std::uint32_t(phrase.size());
    std::uint32_t counted = begin; // line breaks are counted up to here
    std::uint32_t breaks = 0;
    for (std::uint32_t k = begin; k <= last; ++k) {
        if (ids[k] != phrase[0] || !std::equal(phrase.begin() + 1, phrase.end(), ids + k + 1))
            continue;
        breaks += std::uint32_t(std::count(ids + counted, ids + k, kLineBreak));
        counted = k;
        const std::uint32_t word = k - begin - breaks;
        found.push_back({std::uint32_t(document), word, double(word) / fileWords});
    }
}

} // namespace

std::vector<PhrasePosition> positionsOf(const CountedWords &words,
                                        std::span<const std::uint32_t> phrase,
                                        std::span<const FileCount> files)
{
    std::vector<PhrasePosition> found;
    if (files.empty()) {
        for (std::size_t document = 0; document < words.documents(); ++document)
            addPositionsIn(words, document, phrase, found);
        return found;
    }
    for (const FileCount &file : files) {
        if (file.file < words.documents())
            addPositionsIn(words, file.file, phrase, found);
    }
    return found;
}

} // namespace orvanta::detail
