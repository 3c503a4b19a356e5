#pragma once

#include "run/CountingRun.h"

#include <QStringList>

#include <vector>

namespace orvanta {

class RecordStream;

// One mode of orvanta-count, over the options every mode shares and the one record writer: what
// it asks of the counting run and the records it prints from the run's outcome. A new mode is a
// new class, chosen by OrvantaCount.
class Command {
public:
    virtual ~Command() = default;

    // Sets what the mode needs of the run and gives the phrase lengths it counts.
    virtual std::vector<int> prepare(CountingRunOptions &run) const = 0;
    // The names of the records' fields: the header of TSV and CSV, the keys of JSON.
    virtual QStringList fieldNames() const = 0;
    // Prints the records of a finished run; false at the first failed write.
    virtual bool print(const RunOutcome &outcome, RecordStream &out) = 0;
    // Whether printing missed inputs it had to read again (each named as it went): the command
    // then fails, though what it found is printed.
    virtual bool missedInputs() const { return false; }
};

} // namespace orvanta
