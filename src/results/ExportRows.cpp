#include "results/ExportRows.h"

#include "results/ResultKeyness.h"
#include "results/ResultMeasures.h"
#include "results/ResultsModel.h"

namespace orvanta {

namespace {

QByteArrayView utf8Of(std::string_view text)
{
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

ExportCell numberCell(qint64 number)
{
    return {{}, number, true};
}

} // namespace

ResultRows::ResultRows(std::shared_ptr<const PhraseResults> results, std::vector<std::uint32_t> ids,
                       std::shared_ptr<const ResultMeasures> measures,
                       std::shared_ptr<const ResultKeyness> keyness)
    : m_results(std::move(results))
    , m_ids(std::move(ids))
    , m_measures(std::move(measures))
    , m_keyness(std::move(keyness))
{
    m_cells.reserve(10);
}

QStringList ResultRows::headers() const
{
    QStringList headers{QStringLiteral("Phrase"), QStringLiteral("Words"),
                        QStringLiteral("Frequency"), QStringLiteral("Files")};
    if (m_measures)
        headers << QStringLiteral("Per million") << QStringLiteral("DP");
    if (m_keyness)
        headers << QStringLiteral("Frequency in target") << QStringLiteral("Reference frequency")
                << QStringLiteral("Log-likelihood") << QStringLiteral("Log ratio");
    return headers;
}

std::span<const ExportCell> ResultRows::cells(qsizetype row)
{
    const std::uint32_t id = m_ids[size_t(row)];
    m_cells.assign({{utf8Of(m_results->phraseUtf8(id))},
                    numberCell(m_results->wordCount(id)),
                    numberCell(m_results->frequency(id)),
                    numberCell(m_results->files(id))});
    if (m_measures) {
        m_perMillion = QByteArray::fromStdString(fourDecimals(m_measures->perMillion(id)));
        m_dispersion = m_measures->hasDispersion()
                           ? QByteArray::fromStdString(fourDecimals(m_measures->dispersion(id)))
                           : QByteArray();
        m_cells.push_back({m_perMillion});
        m_cells.push_back({m_dispersion});
    }
    if (m_keyness) {
        const KeynessRow &keyness = m_keyness->of(id);
        m_logLikelihood = QByteArray::fromStdString(fourDecimals(keyness.keyness.logLikelihood));
        m_logRatio = QByteArray::fromStdString(fourDecimals(keyness.keyness.logRatio));
        m_cells.insert(m_cells.end(), {numberCell(qint64(keyness.target)),
                                       numberCell(qint64(keyness.reference)),
                                       {m_logLikelihood},
                                       {m_logRatio}});
    }
    return m_cells;
}

ListRows::ListRows(const ResultsModel &list, Rows rows)
    : m_results(list.phrases())
    , m_ids(list.listedResults().begin(), list.listedResults().end())
{
    m_leftOut.reserve(m_ids.size());
    for (const std::uint32_t id : m_ids)
        m_leftOut.push_back(rows == Rows::TickedOnly && !list.isResultTicked(id));
    for (const int column :
         {ResultsModel::PhraseColumn, ResultsModel::WordCountColumn, ResultsModel::FrequencyColumn})
        m_headers << list.headerText(column);
}

std::span<const ExportCell> ListRows::cells(qsizetype row)
{
    const std::uint32_t id = m_ids[size_t(row)];
    // As the list shows it: with one leading space.
    m_phrase.resize(0);
    m_phrase += ' ';
    m_phrase += utf8Of(m_results->phraseUtf8(id));
    m_cells[0] = {m_phrase};
    m_cells[1] = numberCell(m_results->wordCount(id));
    m_cells[2] = numberCell(m_results->frequency(id));
    return m_cells;
}

} // namespace orvanta
