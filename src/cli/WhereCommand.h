#pragma once

#include "cli/Command.h"
#include "documents/CountedText.h"

#include <stop_token>

class QIODevice;

namespace orvanta {

struct CountOptions;
class TextStore;

// --where: every occurrence of one phrase, by file, page, line number and the text of its line,
// found in the texts the run counted by the same rules.
class WhereCommand final : public Command {
public:
    // Files whose text is no longer at hand are named on `err`; `stop` ends the search.
    WhereCommand(const CountOptions &options, TextStore &store, QIODevice &err,
                 std::stop_token stop);

    std::vector<int> prepare(CountingRunOptions &run) const override;
    QStringList fieldNames() const override;
    bool print(const RunOutcome &outcome, RecordStream &out) override;
    bool missedInputs() const override { return m_missed; }

private:
    QString m_phrase;
    TextOptions m_text;
    TextStore &m_store;
    QIODevice &m_err;
    std::stop_token m_stop;
    bool m_missed = false;
};

} // namespace orvanta
