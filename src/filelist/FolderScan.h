#pragma once

#include <QString>
#include <QStringList>

namespace orvanta {

// The files matching `pattern` (case-insensitive wildcard, "*.pdf") in a folder and all its
// subfolders: breadth first, level by level, grouped by parent, each folder in the file
// system's own listing order. Names beginning with "~" are skipped, as are hidden folders below
// the start, and no folder is walked twice (symbolic links can form cycles).
QStringList filesInFolderTree(const QString &folder, const QString &pattern);

} // namespace orvanta
