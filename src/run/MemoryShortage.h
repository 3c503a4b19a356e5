#pragma once

#include <QString>

namespace orvanta {

// What limited the memory of this process, for a message: the address-space limit (ulimit -v)
// when one is set, else the machine's memory.
QString memoryLimitText();

// The message of a count that could not get memory: "Out of memory while DOING: LIMIT".
QString outOfMemoryText(const QString &doing);

} // namespace orvanta
