#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stop_token>

namespace orvanta {

class ErrorSink;

inline constexpr auto kScanPattern = "*.pdf";
inline constexpr auto kDropPattern = "*.*";

// How a caller on another thread follows and stops a walk.
struct ScanControl {
    // A stop request ends the walk; what was found before it is returned.
    std::stop_token stop;
    // Called on the walking thread with each folder the walk looks at and each folder whose files
    // are listed.
    std::function<void(const QString &folder)> progress;
};

// The rows a scan found, and how many names it left out because they are not valid UTF-8.
struct ScanResult {
    QStringList rows;
    int skippedNames = 0;

    void append(const ScanResult &more)
    {
        rows += more.rows;
        skippedNames += more.skippedNames;
    }
};

// What the status line says about names a scan left out.
QString skippedNamesText(int skippedNames);

// Appends to `folders` (entries ending in "/") every kept subfolder, each ending in "/": with
// `recurse` all levels, breadth first, grouped by parent in parent order, each parent's
// subfolders in name order (as a file manager shows them). Not walked: an entry that is no folder,
// a path of 260 or more characters, and below the start a folder whose attribute value is exactly
// 22 or 1046 (a dot-folder or a link named like one), which is left out with everything below it. A
// subfolder is not taken when its name has 260 or more characters or is not valid UTF-8 (those are
// counted in the result), nor when the same folder (device and inode) is already in the walk, so
// links cannot make it loop. An entry whose subfolders cannot be listed for want of permission or
// because it is gone is removed from `folders` quietly. A folder whose attributes cannot be read
// between its tests is reported to `errors` (tag of AddFolder.GetSubDirectories2016) and kept.
int collectSubfolders(QStringList &folders, bool recurse, ErrorSink &errors,
                      const ScanControl &control = {});

// The rows a folder scan adds: the files matching `pattern` in the folder and its walked
// subfolders, in folder order then name order, without names beginning with "~", entries that
// do not open as files and files whose attribute value is exactly 34 (a writable dot-file),
// each path tidied by collapseSlashes. No duplicate test. Safe on any thread.
ScanResult filesInFolderTree(const QString &folder, const QString &pattern, ErrorSink &errors,
                             const ScanControl &control = {});

} // namespace orvanta
