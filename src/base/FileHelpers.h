#pragma once

#include <QString>

namespace orvanta {

// True when the path names a file or folder on disk; never fails.
bool fileExists(const QString &path);

// Deletes a file, read-only ones too; the caller never learns the outcome.
void deleteFileQuietly(const QString &path);

} // namespace orvanta
