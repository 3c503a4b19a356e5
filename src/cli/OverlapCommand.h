#pragma once

#include "cli/Command.h"
#include "documents/CountedText.h"
#include "phrases/DocumentOverlap.h"
#include "results/RowSelection.h"

#include <stop_token>

class QIODevice;

namespace orvanta {

struct CountOptions;
class TextStore;

// --overlap: the pairs of inputs that share stretches of N words, one record each with both
// files' words, shared words and shares, by the larger share, highest first. The texts are read
// as the run counted them.
class OverlapCommand final : public Command {
public:
    // Files whose text is no longer at hand are named on `err`.
    OverlapCommand(const CountOptions &options, TextStore &store, QIODevice &err,
                   std::stop_token stop);

    std::vector<int> prepare(CountingRunOptions &run) const override;
    QStringList fieldNames() const override;
    bool print(const RunOutcome &outcome, RecordStream &out) override;

private:
    OverlapSettings m_settings;
    qsizetype m_top;
    TextOptions m_text;
    TextStore &m_store;
    QIODevice &m_err;
    std::stop_token m_stop;
};

} // namespace orvanta
