#include "results/ResultMeasures.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace orvanta {

namespace {

// The measure as shown: in ten-thousandths, halves away from zero.
long long shown(double value)
{
    return std::llround(value * 1e4);
}

double measureOf(const ResultMeasures &measures, std::uint32_t id, MeasureKey key)
{
    return key == MeasureKey::PerMillion ? measures.perMillion(id) : measures.dispersion(id);
}

// "1 word", "12,345 words".
QString counted(std::uint64_t count, const char *noun)
{
    return QStringLiteral("%1 %2%3").arg(QLocale(QLocale::English).toString(qulonglong(count)),
                                         QLatin1String(noun),
                                         count == 1 ? QString() : QStringLiteral("s"));
}

} // namespace

ResultMeasures::ResultMeasures(std::shared_ptr<const PhraseResults> results, CorpusSize corpus)
    : m_results(std::move(results))
    , m_corpus(std::move(corpus))
{
    if (!m_results || !m_results->hasFileCounts() || m_corpus.wordsByFile.size() < m_corpus.files)
        return;
    m_dispersion.reserve(std::size_t(m_results->size()));
    for (qsizetype row = 0; row < m_results->size(); ++row) {
        const std::span<const FileCount> counts = m_results->fileCounts(row);
        // Results of other files than the corpus's (a project opened before its texts are read
        // again) have no dispersion here.
        if (std::any_of(counts.begin(), counts.end(), [&](const FileCount &count) {
                return count.file >= m_corpus.wordsByFile.size();
            })) {
            m_dispersion.clear();
            return;
        }
        m_dispersion.push_back(deviationOfProportions(counts, m_corpus));
    }
}

double ResultMeasures::perMillion(std::uint32_t result) const
{
    return orvanta::perMillion(m_results->frequency(result), m_corpus.words);
}

double ResultMeasures::dispersion(std::uint32_t result) const
{
    return m_dispersion.empty() ? 0.0 : m_dispersion[result];
}

void sortByMeasure(std::vector<std::uint32_t> &ids, const ResultMeasures &measures, MeasureKey key,
                   Qt::SortOrder order)
{
    std::vector<std::pair<double, std::uint32_t>> keyed;
    keyed.reserve(ids.size());
    for (const std::uint32_t id : ids)
        keyed.emplace_back(measureOf(measures, id, key), id);
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < ids.size(); ++i)
        ids[i] = keyed[i].second;
    if (order == Qt::DescendingOrder)
        std::reverse(ids.begin(), ids.end());
}

bool MeasureFilter::isNarrowerThan(const MeasureFilter &wider) const
{
    return minPerMillion >= wider.minPerMillion && maxDispersion <= wider.maxDispersion;
}

std::vector<std::uint32_t> filterByMeasures(std::span<const std::uint32_t> ids,
                                            const ResultMeasures &measures,
                                            const MeasureFilter &filter)
{
    const long long leastPerMillion = shown(filter.minPerMillion);
    const long long mostDispersion = shown(filter.maxDispersion);
    const bool boundsDispersion = measures.hasDispersion() && filter.maxDispersion < 1;
    std::vector<std::uint32_t> passed;
    for (const std::uint32_t id : ids) {
        if (shown(measures.perMillion(id)) < leastPerMillion)
            continue;
        if (boundsDispersion && shown(measures.dispersion(id)) > mostDispersion)
            continue;
        passed.push_back(id);
    }
    return passed;
}

QString corpusSizeLine(const CorpusSize &corpus)
{
    // A count held within a memory limit knows no distinct words.
    if (corpus.distinctWords == 0 && corpus.words > 0)
        return QStringLiteral("Corpus: %1, %2.")
            .arg(counted(corpus.files, "file"), counted(corpus.words, "word"));
    return QStringLiteral("Corpus: %1, %2, %3.")
        .arg(counted(corpus.files, "file"), counted(corpus.words, "word"),
             counted(corpus.distinctWords, "distinct word"));
}

} // namespace orvanta
