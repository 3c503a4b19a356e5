#pragma once

// What a results list may hide beyond its filter, so that what is left is worth reading:
// phrases inside a longer one with the same frequency, phrases of stop words, and passages
// made mostly of dot leaders and numbers. Hiding only chooses rows to show; it never changes
// what was counted, and it says how many rows each choice hid.

#include "phrases/PhraseResults.h"
#include "results/StopWords.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orvanta {

struct ListRefinement {
    bool hideInsideLonger = false; // results/ClosedPhrases.h
    std::shared_ptr<const StopWords> stopWords;
    StopWordMode stopWordMode = StopWordMode::Off;
    double minimumLetterShare = 0; // results/LetterShare.h; 0 hides nothing

    bool hidesStopWords() const;
    bool isOff() const { return !hideInsideLonger && !hidesStopWords() && minimumLetterShare <= 0; }
    bool operator==(const ListRefinement &) const = default;
};

// How many rows each choice hid, of those the filter let through.
struct HiddenRows {
    qsizetype insideLonger = 0;
    qsizetype stopWords = 0;
    qsizetype fewLetterWords = 0;
    bool operator==(const HiddenRows &) const = default;
};

struct RefinedRows {
    std::vector<std::uint32_t> shown; // in the order given
    HiddenRows hidden;
};

// The ids (into `results`) the refinement keeps. `insideLonger` marks, over every row of
// `results`, those a longer listed phrase holds with the same frequency (phrasesInsideLonger);
// it is read only when the refinement hides them.
RefinedRows refineResults(std::span<const std::uint32_t> ids, const PhraseResults &results,
                          const ListRefinement &refinement, const std::vector<bool> &insideLonger);

// "3 inside longer ones, 12 of stop words hidden", or nothing when nothing was hidden.
QString hiddenRowsText(const HiddenRows &hidden);

} // namespace orvanta
