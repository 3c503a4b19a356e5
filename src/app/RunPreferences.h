#pragma once

#include "documents/CountedText.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace orvanta {

class SettingsStore;
struct CountingRunOptions;

// How the window's counting runs read their texts, as the user last chose it: the text options
// and whether scanned pages are read by text recognition, and in which languages.
struct RunPreferences {
    TextOptions text;
    bool readScannedPages = false;
    QStringList languages{QStringLiteral("eng")}; // kept while reading scans is off
    // Above 0: runs count within this many MiB of memory, spilling to disk.
    int memoryLimitMiB = 0;

    // The stored choices; what was never stored reads as everything off and English.
    static RunPreferences read(const SettingsStore &settings);
    // Every choice as the key and text it is stored under.
    std::vector<std::pair<QString, QString>> entries() const;

    // The languages a run reads scanned pages in; none when reading them is off.
    QStringList recognitionLanguages() const;
    void applyTo(CountingRunOptions &options) const;

    bool operator==(const RunPreferences &) const = default;
};

// Languages as typed or stored, "eng+deu" or "eng, deu", in the order given, without repeats.
QStringList parseLanguages(const QString &text);

// The least memory limit a run takes, in MiB; a smaller one is raised to it.
inline constexpr int kLeastMemoryLimitMiB = 64;

// What the status line says after a run about how it read its texts; empty when it read them
// as converted, without recognition or memory limit.
QString runOptionsSummary(const CountingRunOptions &options);

// The status line's hint after an admission check found scanned files while recognition is off.
QString scannedFilesHint(int scannedFiles);

} // namespace orvanta
