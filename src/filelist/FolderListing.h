#pragma once

#include <QString>
#include <QStringList>

namespace orvanta {

// True when the name matches the wildcard pattern as Windows matches it, ignoring letter case:
// "*" stands for any run of characters and "?" for exactly one. A pattern that ends in ".*" also
// matches the name without that dot, so "*.*" matches every name.
bool matchesWildcard(const QString &name, const QString &pattern);

// The names in a folder in the order a file manager shows them, and how many names were left
// out because they are not valid UTF-8. `error` is 0 when the listing is complete, otherwise
// the errno that stopped it; the names read before the failure are kept.
struct FolderListing {
    QStringList names;
    int skippedNames = 0;
    int error = 0;
};

// Orders names as a file manager does: letters without regard to case, runs of digits by their
// value ("big-2" before "big-10").
int compareNaturally(QStringView a, QStringView b);

// The files in the folder that match the pattern, hidden files included. Folders and entries
// that do not open as regular files are left out. A missing trailing "/" is supplied.
FolderListing listFilesInFolder(const QString &folder, const QString &pattern);

// The folder's subfolders, links to folders included, "." and ".." not.
FolderListing listSubfolders(const QString &folder);

} // namespace orvanta
