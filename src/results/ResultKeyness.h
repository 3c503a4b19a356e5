#pragma once

#include "phrases/Keyness.h"

#include <Qt>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orvanta {

// The keyness of every result of a run over a target and a reference set of files, by result:
// its frequency in each set, log-likelihood and log ratio.
class ResultKeyness {
public:
    // Fails when either set holds no words. `results` must carry per-file counts.
    static Result<ResultKeyness> make(std::shared_ptr<const PhraseResults> results,
                                      const CorpusSize &corpus, std::span<const FileSet> sets);

    const std::shared_ptr<const PhraseResults> &results() const { return m_results; }
    std::uint64_t targetWords() const { return m_targetWords; }
    std::uint64_t referenceWords() const { return m_referenceWords; }
    const KeynessRow &of(std::uint32_t result) const { return m_rows[result]; }

private:
    std::shared_ptr<const PhraseResults> m_results;
    std::uint64_t m_targetWords = 0;
    std::uint64_t m_referenceWords = 0;
    std::vector<KeynessRow> m_rows; // by result
};

// Which of the two sets a phrase occurs in: "only in the target, only in the reference, in both".
enum class SetPresence { Any, TargetOnly, ReferenceOnly, Both };

std::vector<std::uint32_t> filterByPresence(std::span<const std::uint32_t> ids,
                                            const ResultKeyness &keyness, SetPresence presence);

enum class KeynessKey { Target, Reference, LogLikelihood, LogRatio };

// Puts `ids` in order of the key; ties keep ascending index, descending is the exact reverse.
void sortByKeyness(std::vector<std::uint32_t> &ids, const ResultKeyness &keyness, KeynessKey key,
                   Qt::SortOrder order);

} // namespace orvanta
