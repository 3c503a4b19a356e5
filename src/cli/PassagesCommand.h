#pragma once

#include "cli/Command.h"
#include "results/RowSelection.h"

namespace orvanta {

struct CountOptions;

// --passages: the repeated passages of at least the given number of words, longest first by
// default, with their words, frequency and files.
class PassagesCommand final : public Command {
public:
    explicit PassagesCommand(const CountOptions &options);

    std::vector<int> prepare(CountingRunOptions &run) const override;
    QStringList fieldNames() const override;
    bool print(const RunOutcome &outcome, RecordStream &out) override;

private:
    int m_minimumWords;
    RowSelection m_rows;
};

} // namespace orvanta
