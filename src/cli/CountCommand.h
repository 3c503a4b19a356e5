#pragma once

#include <QStringList>

class QIODevice;

namespace orvanta {

// orvanta-count: counts the phrases of the given files together and prints the results list.
// Returns the exit code: 0 all inputs read, 1 some input could not be read, 2 usage error.
int runCountCommand(const QStringList &arguments, QIODevice &out, QIODevice &err);

} // namespace orvanta
