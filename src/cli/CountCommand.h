#pragma once

#include "cli/Command.h"
#include "results/RowSelection.h"

namespace orvanta {

struct CountOptions;

// The counting mode, orvanta-count's default: the repeated phrases of the chosen lengths, one
// record each, with their words, frequency and, when asked, files.
class CountCommand final : public Command {
public:
    explicit CountCommand(const CountOptions &options);

    std::vector<int> prepare(CountingRunOptions &run) const override;
    QStringList fieldNames() const override;
    bool print(const RunOutcome &outcome, RecordStream &out) override;

private:
    std::vector<int> m_lengths;
    RowSelection m_rows;
    bool m_files;
};

} // namespace orvanta
