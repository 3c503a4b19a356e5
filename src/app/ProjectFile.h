#pragma once

#include "app/RunSummary.h"
#include "base/Result.h"
#include "phrases/LengthList.h"
#include "phrases/PhraseResults.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace orvanta {

// The explorer's view of the results as a project keeps it: its filter and its sort.
struct ExplorerState {
    QString filter;
    bool regularExpression = false;
    int leastFrequency = 2;
    int leastFiles = 1;
    int sortColumn = -1; // -1: the run's order
    bool descending = false;
    int presence = 0; // SetPresence: which of the two sets a shown phrase occurs in
    bool operator==(const ExplorerState &) const = default;
};

// A session of the main window, kept in a .orvanta file: the files in their order, how they are
// counted, and the results with their ticks and removed rows.
struct Project {
    QStringList files;
    QStringList referenceFiles; // those of `files` marked as the reference set
    ChosenLengths lengths{};
    QString moreLengths; // "More:" as typed
    bool promptForPassword = false;
    // The text options and OCR settings, as their stored keys and texts.
    std::vector<std::pair<QString, QString>> runOptions;
    PhraseResults results;
    std::vector<std::uint32_t> ticked;  // results, by their index in `results`
    std::vector<std::uint32_t> removed; // results taken off the list
    ExplorerState explorer;
    std::optional<RunSummary> summary; // what the run that gave the results counted
};

inline constexpr int kProjectVersion = 1;
inline constexpr auto kProjectFilter = "Orvanta Projects (*.orvanta)";

QByteArray projectJson(const Project &project);
// The project the bytes hold; a failure that says why when they are damaged or were written by a
// newer version.
Result<Project> projectFromJson(const QByteArray &json);

// Writes through the safe writer: a failed write leaves an earlier project as it was.
Result<void> writeProject(const QString &path, const Project &project);
// A failure names the file and says why it cannot be opened.
Result<Project> readProject(const QString &path);

// The project's files that are no longer where they were.
QStringList missingFiles(const Project &project);

} // namespace orvanta
