#pragma once

#include <QString>

#include <cstdint>

namespace orvanta {

// True when the path names a file or folder on disk; never fails.
bool fileExists(const QString &path);

// Deletes a file, read-only ones too; the caller never learns the outcome.
void deleteFileQuietly(const QString &path);

// The file's size in bytes cut to its low 32 bits and read as signed (a 3 GiB file gives a
// negative number), or -1 when the file cannot be opened for reading: missing, a folder or
// unreadable. Never fails.
std::int32_t fileSize2(const QString &path);

} // namespace orvanta
