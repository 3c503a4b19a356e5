#pragma once

#include "cli/Command.h"
#include "cli/ListedRows.h"

class QIODevice;

namespace orvanta {

struct CountOptions;

// --passages: the repeated passages of at least the given number of words, longest first by
// default, with their words, frequency and files. Those whose words mostly lack letters (dot
// leaders, tables of numbers) are hidden, and how many is said on `err` unless quiet.
class PassagesCommand final : public Command {
public:
    PassagesCommand(const CountOptions &options, QIODevice &err);

    std::vector<int> prepare(CountingRunOptions &run) const override;
    QStringList fieldNames() const override;
    bool print(const RunOutcome &outcome, RecordStream &out) override;

private:
    int m_minimumWords;
    RowSelection m_rows;
    RowFilters m_filters;
    bool m_quiet;
    QIODevice &m_err;
};

} // namespace orvanta
