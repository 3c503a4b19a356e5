#pragma once

#include <QString>

namespace orvanta {

// Windows-style attribute bits. The folder walk compares whole attribute values (22, 1046, 34),
// so every path gets the value a Windows drive would give the same kind of entry.
namespace attribute_bits {
inline constexpr int kReadOnly = 1;
inline constexpr int kHidden = 2;
inline constexpr int kSystem = 4;
inline constexpr int kDirectory = 16;
inline constexpr int kArchive = 32;
inline constexpr int kReparsePoint = 1024;
} // namespace attribute_bits

// A path that cannot be examined (missing, empty, no permission to look up).
inline constexpr int kNoAttributes = -1;

// The path's attribute value, or kNoAttributes. A symbolic link counts as what it points to and
// adds reparse point (1024); a dangling one has only that bit. Folders have directory (16) and
// regular files archive (32). Read-only (1) when the user cannot write the entry or its owner has
// no write permission (which is how a read-only file looks to root). A name beginning with "." is
// hidden (2), and a folder so named is also system (4): dot-folders are the system folders here.
// Trailing slashes are ignored. Never fails.
int fileAttributes(const QString &path);

// True when the path is a folder or a link to one.
bool isFolder(const QString &path);

// True when the path opens read-only as a regular file (links to one included); false for
// folders, missing or unreadable paths, pipes and devices. Never blocks and never fails.
bool isExistingFile(const QString &path);

} // namespace orvanta
