#pragma once

#include <QString>
#include <QStringList>

namespace orvanta {

class DialogService;
class SettingsStore;

inline constexpr auto kChooseFolderTitle = "Please select folder:";

// What the main window remembers between sessions besides its ticks and typed lengths: the
// folder a scan last started from, and the snapshot of the sample files.

// The folder scan's start: stores "pdf" as the scanned extension, opens the folder chooser at the
// folder chosen last time, and remembers a confirmed choice. Returns the chosen folder, or the
// empty text when the chooser was cancelled.
QString chooseScanFolder(DialogService &dialogs, SettingsStore &settings);

// Stores the sample files' paths, scrambled.
void takeSamplesSnapshot(const QString &appDir, SettingsStore &settings);

// Takes the snapshot again when none of its files exist: none was taken yet, the stored one
// does not decode, the sample folder was empty, or the program folder has moved.
void refreshSamplesSnapshot(const QString &appDir, SettingsStore &settings);

// The rows the sample button adds: the snapshot's paths that still exist and are not yet rows.
QStringList sampleFilesToAdd(const SettingsStore &settings, const QStringList &rows);

} // namespace orvanta
