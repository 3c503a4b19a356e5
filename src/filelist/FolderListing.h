#pragma once

#include <QString>
#include <QStringList>

namespace orvanta {

// True when the name matches the wildcard pattern as Windows matches it, ignoring letter case:
// "*" stands for any run of characters and "?" for exactly one. A pattern that ends in ".*" also
// matches the name without that dot, so "*.*" matches every name.
bool matchesWildcard(const QString &name, const QString &pattern);

// The names of the files in the folder that match the pattern, in the file system's own listing
// order, hidden files included. Folders and entries that do not open as regular files are left
// out. Empty when the folder cannot be listed. A missing trailing "/" on the folder is supplied.
QStringList listFilesInFolder(const QString &folder, const QString &pattern);

// The names of a folder's subfolders (links to folders included, "." and ".." not) in the file
// system's own listing order. `error` is 0 when the listing is complete, otherwise the errno that
// stopped it; the names read before the failure are kept.
struct SubfolderListing {
    QStringList names;
    int error = 0;
};
SubfolderListing listSubfolders(const QString &folder);

} // namespace orvanta
