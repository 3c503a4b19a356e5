#include "cli/OverlapCommand.h"

#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"
#include "cli/TerminalHost.h"
#include "run/OverlapSearch.h"

#include <algorithm>
#include <array>

namespace orvanta {

OverlapCommand::OverlapCommand(const CountOptions &options, TextStore &store, QIODevice &err,
                               std::stop_token stop)
    : m_settings{std::uint32_t(options.overlap), options.overlapIgnoreAbovePercent}
    , m_top(options.rows.top)
    , m_text(options.text)
    , m_store(store)
    , m_err(err)
    , m_stop(std::move(stop))
{
}

// Only the texts are needed: the stretches are found on them again.
std::vector<int> OverlapCommand::prepare(CountingRunOptions &run) const
{
    run.readsOnly = true;
    return {};
}

QStringList OverlapCommand::fieldNames() const
{
    return {QStringLiteral("file_a"),  QStringLiteral("file_b"),   QStringLiteral("words_a"),
            QStringLiteral("words_b"), QStringLiteral("shared_a"), QStringLiteral("shared_b"),
            QStringLiteral("share_a"), QStringLiteral("share_b")};
}

bool OverlapCommand::print(const RunOutcome &outcome, RecordStream &out)
{
    const std::shared_ptr<const OverlapTexts> texts =
        OverlapTexts::read(OccurrenceFinder(m_store, m_text), outcome.sources, m_stop);
    if (!texts)
        return false;
    for (const QString &path : texts->unavailable()) {
        const bool failed = std::any_of(outcome.failures.begin(), outcome.failures.end(),
                                        [&](const FileFailure &f) { return f.path == path; });
        if (!failed)
            sayOn(m_err,
                  path + QStringLiteral("  - its text is no longer at hand; count it again."));
    }
    const DocumentOverlap overlap = texts->compare(m_settings, m_stop);
    if (m_stop.stop_requested())
        return false;
    qsizetype printed = 0;
    for (const OverlapPair &pair : overlap.pairs()) {
        if (pair.sharedA == 0)
            continue;
        if (m_top >= 0 && printed++ >= m_top)
            break;
        const std::array<Field, 8> fields{texts->sources()[pair.fileA].path,
                                          texts->sources()[pair.fileB].path,
                                          qint64(pair.wordsA),
                                          qint64(pair.wordsB),
                                          qint64(pair.sharedA),
                                          qint64(pair.sharedB),
                                          Decimal{pair.shareA()},
                                          Decimal{pair.shareB()}};
        if (!out.add(fields))
            return false;
    }
    return out.end();
}

} // namespace orvanta
