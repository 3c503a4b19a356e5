#include "cli/CountCommand.h"

#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"
#include "run/BoundedCount.h"

#include <array>

namespace orvanta {

CountCommand::CountCommand(const CountOptions &options, std::stop_token stop)
    : m_lengths(options.lengths)
    , m_rows(options.rows)
    , m_files(options.files)
    , m_stop(std::move(stop))
{
}

std::vector<int> CountCommand::prepare(CountingRunOptions &) const
{
    return m_lengths;
}

QStringList CountCommand::fieldNames() const
{
    QStringList names{QStringLiteral("phrase"), QStringLiteral("words"),
                      QStringLiteral("frequency")};
    if (m_files)
        names << QStringLiteral("files");
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
    for (const qsizetype row : selectRows(results, m_rows)) {
        if (!add({results.phraseUtf8(row), results.wordCount(row), results.frequency(row),
                  results.files(row)},
                 out))
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
