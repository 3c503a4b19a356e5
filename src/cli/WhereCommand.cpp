#include "cli/WhereCommand.h"

#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"
#include "cli/TerminalHost.h"
#include "run/OccurrenceFinder.h"

#include <array>

namespace orvanta {

WhereCommand::WhereCommand(const CountOptions &options, TextStore &store, QIODevice &err,
                           std::stop_token stop)
    : m_phrase(options.where)
    , m_text(options.text)
    , m_store(store)
    , m_err(err)
    , m_stop(std::move(stop))
{
}

// The phrase's own length is the only one counted.
std::vector<int> WhereCommand::prepare(CountingRunOptions &) const
{
    return {int(m_phrase.count(QLatin1Char(' ')) + 1)};
}

QStringList WhereCommand::fieldNames() const
{
    return {QStringLiteral("file"), QStringLiteral("page"), QStringLiteral("line_number"),
            QStringLiteral("text")};
}

bool WhereCommand::print(const RunOutcome &outcome, RecordStream &out)
{
    const Occurrences found =
        OccurrenceFinder(m_store, m_text).find(outcome.sources, m_phrase, m_stop);
    if (m_stop.stop_requested())
        return false;
    m_missed = !found.unavailable.isEmpty();
    for (const QString &path : found.unavailable)
        sayOn(m_err, path + QStringLiteral("  - its text is no longer at hand; count it again."));
    for (const Occurrence &occurrence : found.found) {
        const std::array<Field, 4> fields{outcome.sources[size_t(occurrence.source)].path,
                                          qint64(occurrence.page), qint64(occurrence.line),
                                          occurrence.text};
        if (!out.add(fields))
            return false;
    }
    return out.end();
}

} // namespace orvanta
