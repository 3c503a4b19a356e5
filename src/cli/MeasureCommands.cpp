#include "cli/MeasureCommands.h"

#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"

#include <algorithm>
#include <array>

namespace orvanta {

namespace {

QByteArrayView phraseOf(const PhraseResults &results, qsizetype row)
{
    const std::string_view phrase = results.phraseUtf8(row);
    return {phrase.data(), qsizetype(phrase.size())};
}

} // namespace

ByFileCommand::ByFileCommand(const CountOptions &options)
    : m_lengths(options.lengths)
    , m_rows(options.rows)
    , m_filters(options.filters)
    , m_perMillion(options.dispersion)
{
}

std::vector<int> ByFileCommand::prepare(CountingRunOptions &run) const
{
    run.countsPerFile = true;
    return m_lengths;
}

QStringList ByFileCommand::fieldNames() const
{
    QStringList names{QStringLiteral("phrase"), QStringLiteral("words"), QStringLiteral("file"),
                      QStringLiteral("frequency")};
    if (m_perMillion)
        names << QStringLiteral("per_million");
    return names;
}

bool ByFileCommand::print(const RunOutcome &outcome, RecordStream &out)
{
    const PhraseResults &results = outcome.phrases;
    std::vector<Field> fields;
    for (const qsizetype row : listRows(results, m_rows, m_filters).rows) {
        for (const FileCount &count : results.fileCounts(row)) {
            fields = {phraseOf(results, row), qint64(results.wordCount(row)),
                      outcome.sources[count.file].path, qint64(count.frequency)};
            if (m_perMillion)
                fields.emplace_back(
                    Decimal{perMillion(count.frequency, outcome.corpus.wordsByFile[count.file])});
            if (!out.add(fields))
                return false;
        }
    }
    return out.end();
}

KeynessCommand::KeynessCommand(const CountOptions &options)
    : m_lengths(options.lengths)
    , m_rows(options.rows)
    , m_filters(options.filters)
    , m_sortChosen(options.sortChosen)
{
}

std::vector<int> KeynessCommand::prepare(CountingRunOptions &run) const
{
    run.countsPerFile = true;
    return m_lengths;
}

QStringList KeynessCommand::fieldNames() const
{
    return {QStringLiteral("phrase"),         QStringLiteral("words"),
            QStringLiteral("frequency"),      QStringLiteral("reference_frequency"),
            QStringLiteral("log_likelihood"), QStringLiteral("log_ratio")};
}

Status KeynessCommand::check(const RunOutcome &outcome)
{
    std::vector<FileSet> sets(outcome.sources.size(), FileSet::Target);
    for (std::size_t file = std::size_t(m_firstReference); file < sets.size(); ++file)
        sets[file] = FileSet::Reference;
    Result<KeynessTable> table = keynessTable(outcome.phrases, outcome.corpus, sets);
    if (!table.ok())
        return Failure{table.error()};
    m_table = std::move(*table);
    return {};
}

// The listed rows by log-likelihood unless a sort is chosen.
std::vector<qsizetype> KeynessCommand::orderedRows(const PhraseResults &results) const
{
    if (m_sortChosen)
        return listRows(results, m_rows, m_filters).rows;
    RowSelection bounds = m_rows;
    bounds.top = -1;
    std::vector<bool> listed(std::size_t(results.size()), false);
    for (const qsizetype row : listRows(results, bounds, m_filters).rows)
        listed[std::size_t(row)] = true;
    std::vector<qsizetype> rows;
    for (const KeynessRow &keyness : m_table->rows) {
        if (listed[std::size_t(keyness.row)])
            rows.push_back(keyness.row);
    }
    if (m_rows.reverse)
        std::reverse(rows.begin(), rows.end());
    if (m_rows.top >= 0 && qsizetype(rows.size()) > m_rows.top)
        rows.resize(std::size_t(m_rows.top));
    return rows;
}

bool KeynessCommand::print(const RunOutcome &outcome, RecordStream &out)
{
    const PhraseResults &results = outcome.phrases;
    std::vector<const KeynessRow *> byRow(std::size_t(results.size()), nullptr);
    for (const KeynessRow &keyness : m_table->rows)
        byRow[std::size_t(keyness.row)] = &keyness;
    for (const qsizetype row : orderedRows(results)) {
        const KeynessRow &keyness = *byRow[std::size_t(row)];
        const std::array<Field, 6> fields{phraseOf(results, row),
                                          qint64(results.wordCount(row)),
                                          qint64(keyness.target),
                                          qint64(keyness.reference),
                                          Decimal{keyness.keyness.logLikelihood},
                                          Decimal{keyness.keyness.logRatio}};
        if (!out.add(fields))
            return false;
    }
    return out.end();
}

} // namespace orvanta
