#pragma once

#include "cli/Command.h"
#include "cli/ListedRows.h"
#include "phrases/Keyness.h"

#include <optional>

namespace orvanta {

struct CountOptions;

// --by-file: one record per listed phrase and file it occurs in, with its frequency in that file
// and, with --dispersion, per million words of that file.
class ByFileCommand final : public Command {
public:
    explicit ByFileCommand(const CountOptions &options);

    std::vector<int> prepare(CountingRunOptions &run) const override;
    QStringList fieldNames() const override;
    bool measuresCorpus() const override { return true; }
    bool print(const RunOutcome &outcome, RecordStream &out) override;

private:
    std::vector<int> m_lengths;
    RowSelection m_rows;
    RowFilters m_filters;
    bool m_perMillion;
};

// --reference: the phrases of the target files against the reference files, with both
// frequencies, log-likelihood and log ratio; by log-likelihood, highest first, unless a sort is
// chosen. The bounds of the selection apply to the frequency over both sets.
class KeynessCommand final : public Command {
public:
    explicit KeynessCommand(const CountOptions &options);

    std::vector<int> prepare(CountingRunOptions &run) const override;
    QStringList fieldNames() const override;
    Status check(const RunOutcome &outcome) override;
    bool measuresCorpus() const override { return true; }
    void setFirstReference(qsizetype file) override { m_firstReference = file; }
    bool print(const RunOutcome &outcome, RecordStream &out) override;

private:
    std::vector<qsizetype> orderedRows(const PhraseResults &results) const;

    std::vector<int> m_lengths;
    RowSelection m_rows;
    RowFilters m_filters;
    bool m_sortChosen;
    qsizetype m_firstReference = 0;
    std::optional<KeynessTable> m_table;
};

} // namespace orvanta
