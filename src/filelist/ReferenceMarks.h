#pragma once

// Which listed files are the reference set, the files the others (the target) are compared
// with. A list with no file marked has no reference set, and its runs count as they always did.

#include <QString>
#include <QStringList>

#include <vector>

namespace orvanta {

// What a reference file shows after its name in the input list.
inline constexpr auto kReferenceNote = "(reference)";

// What the input list offers for the selected files, from their marks (true: reference).
struct MarkChoices {
    bool markAsReference = false; // some selected file is a target
    bool markAsTarget = false;    // some selected file is a reference
    bool operator==(const MarkChoices &) const = default;
};
MarkChoices markChoices(const std::vector<bool> &selectedMarks);

// The marks of `paths` when `referencePaths` are the reference files, as a project keeps them;
// every listing of a reference path is marked.
std::vector<bool> marksOf(const QStringList &paths, const QStringList &referencePaths);
// The marked paths, in list order, each once.
QStringList referencePaths(const QStringList &paths, const std::vector<bool> &marks);

} // namespace orvanta
