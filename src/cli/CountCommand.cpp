#include "cli/CountCommand.h"

#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"

#include <array>

namespace orvanta {

CountCommand::CountCommand(const CountOptions &options)
    : m_lengths(options.lengths)
    , m_rows(options.rows)
    , m_files(options.files)
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

bool CountCommand::print(const RunOutcome &outcome, RecordStream &out)
{
    const PhraseResults &results = outcome.phrases;
    for (const qsizetype row : selectRows(results, m_rows)) {
        const std::string_view phrase = results.phraseUtf8(row);
        const std::array<Field, 4> fields{
            QByteArrayView(phrase.data(), qsizetype(phrase.size())), qint64(results.wordCount(row)),
            qint64(results.frequency(row)), qint64(results.files(row))};
        if (!out.add(std::span(fields).first(m_files ? 4 : 3)))
            return false;
    }
    return out.end();
}

} // namespace orvanta
