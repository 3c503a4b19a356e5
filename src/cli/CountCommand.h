#pragma once

#include "cli/Command.h"
#include "cli/ListedRows.h"

#include <stop_token>

namespace orvanta {

struct CountOptions;

// The counting mode, orvanta-count's default: the repeated phrases of the chosen lengths, one
// record each, with their words, frequency and, when asked, files, frequency per million words
// and dispersion (dp).
class CountCommand final : public Command {
public:
    // `stop` ends the printing of rows counted within a memory limit.
    explicit CountCommand(const CountOptions &options, std::stop_token stop = {});

    std::vector<int> prepare(CountingRunOptions &run) const override;
    QStringList fieldNames() const override;
    bool measuresCorpus() const override { return m_dispersion; }
    bool print(const RunOutcome &outcome, RecordStream &out) override;
    QString failure() const override { return m_failure; }

private:
    bool add(const RowView &row, RecordStream &out) const;
    bool printBounded(RowSource &rows, RecordStream &out);

    std::vector<int> m_lengths;
    RowSelection m_rows;
    RowFilters m_filters;
    bool m_files;
    bool m_dispersion;
    std::stop_token m_stop;
    QString m_failure;
};

} // namespace orvanta
