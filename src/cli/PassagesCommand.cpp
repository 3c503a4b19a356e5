#include "cli/PassagesCommand.h"

#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"

#include <array>

namespace orvanta {

PassagesCommand::PassagesCommand(const CountOptions &options)
    : m_minimumWords(options.passages)
    , m_rows(options.rows)
{
}

std::vector<int> PassagesCommand::prepare(CountingRunOptions &run) const
{
    run.passageMinimumWords = m_minimumWords;
    return {};
}

QStringList PassagesCommand::fieldNames() const
{
    return {QStringLiteral("passage"), QStringLiteral("words"), QStringLiteral("frequency"),
            QStringLiteral("files")};
}

bool PassagesCommand::print(const RunOutcome &outcome, RecordStream &out)
{
    PhraseResults rows = outcome.passages.rows;
    rows.sortForDisplay();
    for (const qsizetype row : selectRows(rows, m_rows)) {
        const std::string_view text = rows.phraseUtf8(row);
        const std::array<Field, 4> fields{QByteArrayView(text.data(), qsizetype(text.size())),
                                          qint64(rows.wordCount(row)), qint64(rows.frequency(row)),
                                          qint64(rows.files(row))};
        if (!out.add(fields))
            return false;
    }
    return out.end();
}

} // namespace orvanta
