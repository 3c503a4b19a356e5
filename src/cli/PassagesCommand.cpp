#include "cli/PassagesCommand.h"

#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"
#include "cli/TerminalHost.h"

#include <array>

namespace orvanta {

PassagesCommand::PassagesCommand(const CountOptions &options, QIODevice &err)
    : m_minimumWords(options.passages)
    , m_rows(options.rows)
    , m_filters(options.filters)
    , m_quiet(options.quiet)
    , m_err(err)
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
    const ListedRows listed = listRows(rows, m_rows, m_filters);
    if (listed.hiddenForLetters > 0 && !m_quiet)
        sayOn(m_err, QStringLiteral("%1 passages hidden: fewer than %2% of their words hold a "
                                    "letter (--passage-letters)")
                         .arg(listed.hiddenForLetters)
                         .arg(m_filters.minimumLetterShare * 100));
    for (const qsizetype row : listed.rows) {
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
