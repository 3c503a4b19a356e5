#include "phrases/Keyness.h"

#include <algorithm>
#include <stdexcept>

namespace orvanta {

namespace {

FileSet setOf(std::size_t file, std::span<const FileSet> sets)
{
    return file < sets.size() ? sets[file] : FileSet::Target;
}

} // namespace

Result<KeynessTable> keynessTable(const PhraseResults &results, const CorpusSize &corpus,
                                  std::span<const FileSet> sets)
{
    if (!results.isEmpty() && !results.hasFileCounts())
        throw std::invalid_argument("keyness needs the rows' per-file counts");
    KeynessTable table;
    for (std::size_t file = 0; file < corpus.wordsByFile.size(); ++file)
        (setOf(file, sets) == FileSet::Reference ? table.referenceWords : table.targetWords) +=
            corpus.wordsByFile[file];
    if (table.targetWords == 0)
        return Failure{QLatin1String(keyness_texts::kNoTargetWords)};
    if (table.referenceWords == 0)
        return Failure{QLatin1String(keyness_texts::kNoReferenceWords)};

    table.rows.reserve(std::size_t(results.size()));
    for (qsizetype row = 0; row < results.size(); ++row) {
        KeynessRow keyed{row, 0, 0, {}};
        for (const FileCount &count : results.fileCounts(row))
            (setOf(count.file, sets) == FileSet::Reference ? keyed.reference : keyed.target) +=
                count.frequency;
        keyed.keyness =
            keynessOf(keyed.target, keyed.reference, table.targetWords, table.referenceWords);
        table.rows.push_back(keyed);
    }
    std::stable_sort(table.rows.begin(), table.rows.end(),
                     [](const KeynessRow &a, const KeynessRow &b) {
                         return a.keyness.logLikelihood > b.keyness.logLikelihood;
                     });
    return table;
}

} // namespace orvanta
