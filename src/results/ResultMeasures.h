#pragma once

#include "phrases/CorpusMeasures.h"
#include "phrases/PhraseResults.h"

#include <QString>
#include <Qt>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orvanta {

// How often each result of a run occurs per million words of the corpus and, when the run
// counted by file, how it is spread over the files (deviation of proportions). Made once per
// run; a result is named by its index in the run's results.
class ResultMeasures {
public:
    ResultMeasures(std::shared_ptr<const PhraseResults> results, CorpusSize corpus);

    // The results these measures were made for: the measures hold for those alone.
    const std::shared_ptr<const PhraseResults> &results() const { return m_results; }
    const CorpusSize &corpus() const { return m_corpus; }
    bool hasDispersion() const { return !m_dispersion.empty(); }
    double perMillion(std::uint32_t result) const;
    double dispersion(std::uint32_t result) const; // 0 without a dispersion

private:
    std::shared_ptr<const PhraseResults> m_results;
    CorpusSize m_corpus;
    std::vector<double> m_dispersion; // by result, when the results carry per-file counts
};

enum class MeasureKey { PerMillion, Dispersion };

// Puts `ids` in order of the measure; ties keep ascending index, descending is the exact
// reverse, as the other columns sort.
void sortByMeasure(std::vector<std::uint32_t> &ids, const ResultMeasures &measures, MeasureKey key,
                   Qt::SortOrder order);

// Bounds on the measures as shown, to four decimals. Off when at 0 and 1, which every result
// reaches.
struct MeasureFilter {
    double minPerMillion = 0;
    double maxDispersion = 1;

    bool isOff() const { return minPerMillion <= 0 && maxDispersion >= 1; }
    bool isNarrowerThan(const MeasureFilter &wider) const;
    bool operator==(const MeasureFilter &) const = default;
};

// The ids, in their order, whose measures are within the bounds. A bound on the dispersion
// passes every result when the measures have none.
std::vector<std::uint32_t> filterByMeasures(std::span<const std::uint32_t> ids,
                                            const ResultMeasures &measures,
                                            const MeasureFilter &filter);

// "Corpus: 3 files, 12,345 words, 2,100 distinct words."; without the distinct words when the
// count did not know them.
QString corpusSizeLine(const CorpusSize &corpus);

} // namespace orvanta
