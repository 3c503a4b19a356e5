#pragma once

// The index of a folder that keeps converted texts between runs (orvanta-count --keep-text).
// The folder may have been changed by anyone, so nothing in it is trusted: an index is taken
// only when it is this version's and names nothing but the store's own files.

#include "base/Result.h"
#include "documents/TextStore.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace orvanta {

class Directory;

inline constexpr int kKeptIndexFormat = 2;
inline constexpr auto kKeptIndexName = "index.json";
// Where an index that cannot be used is put aside, replacing the one put aside before.
inline constexpr auto kSetAsideIndexName = "index.json.set-aside";
// The store names its text files "text-" and a random ending of letters and digits.
inline constexpr auto kKeptTextPrefix = "text-";
// An index larger than this is not read.
inline constexpr qint64 kLargestKeptIndex = qint64(256) << 20;

// One text an index names: a verdict (damaged, password needed) has no file.
struct KeptEntry {
    QByteArray key;
    QString fileName;
    std::shared_ptr<StoredText> text;
};

// True for a name the store gives its text files, and nothing else: no folder, no dot.
bool isKeptTextName(const QString &name);
// True for every file the store may have left in a kept folder: texts of this and earlier
// versions, and an index being written.
bool isStoreLeftover(const QString &name);

// The entries of an index, or why the index cannot be used (damaged, another version's, or
// naming what is not the store's own file).
Result<std::vector<KeptEntry>> parseKeptIndex(const QByteArray &json);
QByteArray writeKeptIndex(const std::vector<KeptEntry> &entries);

// The entries of the folder's index whose files are there as it describes them. An index that
// cannot be trusted is set aside as kSetAsideIndexName and `notice` says so, naming the folder;
// the store's files that no entry names (of a killed run, say) are removed, other files stay.
std::vector<KeptEntry> loadKeptIndex(const Directory &folder,
                                     const std::function<void(const QString &)> &notice);
// Puts the index in place whole, or leaves the old one.
void saveKeptIndex(const Directory &folder, const std::vector<KeptEntry> &entries);

} // namespace orvanta
