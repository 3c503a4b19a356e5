#include "cli/CountCommand.h"

#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"
#include "run/BoundedCount.h"

#include <array>
#include <span>

namespace orvanta {

CountCommand::CountCommand(const CountOptions &options, std::stop_token stop)
    : m_lengths(options.lengths)
    , m_rows(options.rows)
    , m_filters(options.filters)
    , m_files(options.files)
    , m_dispersion(options.dispersion)
    , m_stop(std::move(stop))
{
}

std::vector<int> CountCommand::prepare(CountingRunOptions &run) const
{
    run.countsPerFile = m_dispersion;
    return m_lengths;
}

QStringList CountCommand::fieldNames() const
{
    QStringList names{QStringLiteral("phrase"), QStringLiteral("words"),
                      QStringLiteral("frequency")};
    if (m_files)
        names << QStringLiteral("files");
    if (m_dispersion)
        names << QStringLiteral("per_million") << QStringLiteral("dp");
    return names;
}

bool CountCommand::add(const RowView &row, RecordStream &out) const
{
    const std::array<Field, 4> fields{
        QByteArrayView(row.phrase.data(), qsizetype(row.phrase.size())), qint64(row.wordCount),
        qint64(row.frequency), qint64(row.files)};
    return out.add(std::span(fields).first(m_files ? 4 : 3));
}

bool CountCommand::print(const RunOutcome &outcome, RecordStream &out)
{
    if (outcome.boundedRows)
        return printBounded(*outcome.boundedRows, out);
    const PhraseResults &results = outcome.phrases;
    std::vector<Field> fields;
    for (const qsizetype row : listRows(results, m_rows, m_filters).rows) {
        const std::string_view phrase = results.phraseUtf8(row);
        fields = {QByteArrayView(phrase.data(), qsizetype(phrase.size())),
                  qint64(results.wordCount(row)), qint64(results.frequency(row))};
        if (m_files)
            fields.emplace_back(qint64(results.files(row)));
        if (m_dispersion) {
            fields.emplace_back(Decimal{perMillion(results.frequency(row), outcome.corpus.words)});
            fields.emplace_back(
                Decimal{deviationOfProportions(results.fileCounts(row), outcome.corpus)});
        }
        if (!out.add(fields))
            return false;
    }
    return out.end();
}

// The rows are counted as they are printed; a failure of the count is not one of the writes.
bool CountCommand::printBounded(RowSource &rows, RecordStream &out)
{
    bool written = true;
    const Status counted = rows.handOver(
        m_rows, [&](const RowView &row) { return written = add(row, out); }, m_stop);
    if (!written)
        return false;
    if (!counted.ok()) {
        m_failure = counted.error();
        return false;
    }
    return out.end();
}

} // namespace orvanta
