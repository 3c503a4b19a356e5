#pragma once

#include "cli/Command.h"
#include "cli/ListedRows.h"

namespace orvanta {

struct CountOptions;

// The counting mode, orvanta-count's default: the repeated phrases of the chosen lengths, one
// record each, with their words, frequency and, when asked, files, frequency per million words
// and dispersion (dp).
class CountCommand final : public Command {
public:
    explicit CountCommand(const CountOptions &options);

    std::vector<int> prepare(CountingRunOptions &run) const override;
    QStringList fieldNames() const override;
    bool measuresCorpus() const override { return m_dispersion; }
    bool print(const RunOutcome &outcome, RecordStream &out) override;

private:
    std::vector<int> m_lengths;
    RowSelection m_rows;
    RowFilters m_filters;
    bool m_files;
    bool m_dispersion;
};

} // namespace orvanta
