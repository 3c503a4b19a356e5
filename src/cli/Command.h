#pragma once

#include "base/Result.h"
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
    // Why the outcome of a finished run cannot be printed, if it cannot.
    virtual Status check(const RunOutcome &) { return {}; }
    // True for the modes that measure against the corpus: the size of what was counted is said
    // with them and heads their JSON.
    virtual bool measuresCorpus() const { return false; }
    // The run's files from this index on are the reference set.
    virtual void setFirstReference(qsizetype) {}
    // Prints the records of a finished run; false at the first failed write.
    virtual bool print(const RunOutcome &outcome, RecordStream &out) = 0;
    // Why print failed when it was not a write, such as a spill file that could not be read.
    virtual QString failure() const { return {}; }
    // Whether printing missed inputs it had to read again (each named as it went): the command
    // then fails, though what it found is printed.
    virtual bool missedInputs() const { return false; }
};

} // namespace orvanta
