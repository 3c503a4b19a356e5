#pragma once

// The measures corpus linguists give a phrase beside its raw frequency: how often it occurs per
// million words, how evenly it is spread over the files (Gries' deviation of proportions) and how
// typical it is of one set of files against another (log-likelihood and log ratio).

#include "phrases/PerFileCounts.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvanta {

// The size of what a run counted. Words are counted by the same word rule and text options as
// the phrases.
struct CorpusSize {
    std::uint64_t files = 0;
    std::uint64_t words = 0;
    std::uint64_t distinctWords = 0;        // after lower-casing, as phrases compare them
    std::vector<std::uint64_t> wordsByFile; // by the file's index in the run
    bool operator==(const CorpusSize &) const = default;
};

// frequency x 1,000,000 / corpus words; 0 for an empty corpus.
double perMillion(std::uint64_t frequency, std::uint64_t corpusWords);

// Gries' deviation of proportions: half the sum over every file of |v - s|, where s is the file's
// share of the corpus words and v its share of the phrase's occurrences. 0 when the phrase is
// spread exactly like the text, near 1 when it sits in one small file; 0 without occurrences.
// Exact but for the one final division. Takes time in the files the phrase occurs in only.
double deviationOfProportions(std::span<const FileCount> counts, const CorpusSize &corpus);

struct Keyness {
    double logLikelihood = 0; // negative when the phrase is rarer in the target
    double logRatio = 0;      // log2 of the ratio of relative frequencies
};

// Keyness of a phrase seen `target` times in `targetWords` words and `reference` times in
// `referenceWords` words. Log-likelihood: 2(a ln(a/E1) + b ln(b/E2)) with E1 = NA(a+b)/(NA+NB) and
// E2 = NB(a+b)/(NA+NB), a term with a zero count being 0. Log ratio: log2((a/NA)/(b/NB)) with 0.5
// in place of a zero count. Both word totals must be above 0.
Keyness keynessOf(std::uint64_t target, std::uint64_t reference, std::uint64_t targetWords,
                  std::uint64_t referenceWords);

// The number with four decimals, halves rounded away from zero, never "-0.0000".
std::string fourDecimals(double value);

} // namespace orvanta
