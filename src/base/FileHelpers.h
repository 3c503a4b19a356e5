#pragma once

#include <QString>

namespace orvanta {

// True when the path names a file or folder on disk; never fails.
bool fileExists(const QString &path);

} // namespace orvanta
