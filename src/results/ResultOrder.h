#pragma once

#include "phrases/PhraseResults.h"

#include <QString>
#include <Qt>

#include <cstdint>
#include <span>
#include <vector>

namespace orvanta {

enum class ResultKey { Phrase, Words, Frequency, Files };

// Puts `ids` (indexes into `results`) in order of the key. Ties keep ascending index, the run's
// order of ascending frequency, then phrase; descending is the exact reverse. Phrases compare
// by code point.
void sortResults(std::vector<std::uint32_t> &ids, const PhraseResults &results, ResultKey key,
                 Qt::SortOrder order);

// Which results the explorer shows: those that reach both lower bounds and whose phrase holds
// the text (words or part of a word, in any case). A text with "*" or "?" is a wildcard
// pattern for the whole phrase instead, and with `regularExpression` a regular expression
// (results/PhrasePattern.h); an invalid one matches nothing.
struct ResultFilter {
    QString text;
    int minFrequency = 0;
    int minFiles = 0;
    bool regularExpression = false;

    // True when every result that passes this filter passes `wider` as well.
    bool isNarrowerThan(const ResultFilter &wider) const;
    bool operator==(const ResultFilter &) const = default;
};

// The ids, in their order, whose results pass the filter.
std::vector<std::uint32_t> filterResults(std::span<const std::uint32_t> ids,
                                         const PhraseResults &results, const ResultFilter &filter);

} // namespace orvanta
