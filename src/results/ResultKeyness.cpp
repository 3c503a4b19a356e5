#include "results/ResultKeyness.h"

#include <algorithm>

namespace orvanta {

namespace {

bool isPresent(const KeynessRow &row, SetPresence presence)
{
    switch (presence) {
    case SetPresence::TargetOnly:
        return row.target > 0 && row.reference == 0;
    case SetPresence::ReferenceOnly:
        return row.target == 0 && row.reference > 0;
    case SetPresence::Both:
        return row.target > 0 && row.reference > 0;
    case SetPresence::Any:
        break;
    }
    return true;
}

double keyOf(const KeynessRow &row, KeynessKey key)
{
    switch (key) {
    case KeynessKey::Target:
        return double(row.target);
    case KeynessKey::Reference:
        return double(row.reference);
    case KeynessKey::LogLikelihood:
        return row.keyness.logLikelihood;
    case KeynessKey::LogRatio:
        break;
    }
    return row.keyness.logRatio;
}

} // namespace

Result<ResultKeyness> ResultKeyness::make(std::shared_ptr<const PhraseResults> results,
                                          const CorpusSize &corpus, std::span<const FileSet> sets)
{
    Result<KeynessTable> table = keynessTable(*results, corpus, sets);
    if (!table.ok())
        return Failure{table.error()};
    ResultKeyness keyness;
    keyness.m_results = std::move(results);
    keyness.m_targetWords = table->targetWords;
    keyness.m_referenceWords = table->referenceWords;
    keyness.m_rows.resize(table->rows.size());
    for (const KeynessRow &row : table->rows)
        keyness.m_rows[std::size_t(row.row)] = row;
    return keyness;
}

std::vector<std::uint32_t> filterByPresence(std::span<const std::uint32_t> ids,
                                            const ResultKeyness &keyness, SetPresence presence)
{
    std::vector<std::uint32_t> passed;
    for (const std::uint32_t id : ids) {
        if (isPresent(keyness.of(id), presence))
            passed.push_back(id);
    }
    return passed;
}

void sortByKeyness(std::vector<std::uint32_t> &ids, const ResultKeyness &keyness, KeynessKey key,
                   Qt::SortOrder order)
{
    std::vector<std::pair<double, std::uint32_t>> keyed;
    keyed.reserve(ids.size());
    for (const std::uint32_t id : ids)
        keyed.emplace_back(keyOf(keyness.of(id), key), id);
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < ids.size(); ++i)
        ids[i] = keyed[i].second;
    if (order == Qt::DescendingOrder)
        std::reverse(ids.begin(), ids.end());
}

} // namespace orvanta
