#pragma once

// Which phrases are typical of a target set of files against a reference set, from one count
// over both sets with per-file counts.

#include "base/Result.h"
#include "phrases/CorpusMeasures.h"
#include "phrases/PhraseResults.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orvanta {

enum class FileSet : std::uint8_t { Target, Reference };

struct KeynessRow {
    qsizetype row = 0;           // in the results
    std::uint64_t target = 0;    // frequency in the target files
    std::uint64_t reference = 0; // frequency in the reference files
    Keyness keyness;
};

struct KeynessTable {
    std::uint64_t targetWords = 0;
    std::uint64_t referenceWords = 0;
    // Every row of the results, by log-likelihood, highest first; ties keep the results' order.
    std::vector<KeynessRow> rows;
};

namespace keyness_texts {
inline constexpr auto kNoTargetWords = "The target files hold no words to compare.";
inline constexpr auto kNoReferenceWords = "The reference files hold no words to compare with.";
} // namespace keyness_texts

// Keyness of each row of `results`, which must carry per-file counts (a phrase is listed when its
// frequency over both sets reaches the minimum). File f belongs to sets[f]; files beyond `sets`
// are targets. Fails when either set holds no words.
Result<KeynessTable> keynessTable(const PhraseResults &results, const CorpusSize &corpus,
                                  std::span<const FileSet> sets);

} // namespace orvanta
