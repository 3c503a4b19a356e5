#include "cli/CountCommand.h"

#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"

namespace orvanta {

CountCommand::CountCommand(const CountOptions &options)
    : m_lengths(options.lengths)
    , m_rows(options.rows)
    , m_filters(options.filters)
    , m_files(options.files)
    , m_dispersion(options.dispersion)
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

bool CountCommand::print(const RunOutcome &outcome, RecordStream &out)
{
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

} // namespace orvanta
