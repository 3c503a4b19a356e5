#pragma once

#include "documents/CountedText.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

namespace orvanta {

class SettingsStore;
struct CountingRunOptions;
struct FileFailure;

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
    // The choices as entries() gave them, as a project keeps them; what is missing is off.
    static RunPreferences read(const std::vector<std::pair<QString, QString>> &entries);
    // Every choice as the key and text it is stored under.
    std::vector<std::pair<QString, QString>> entries() const;

    // The languages a run reads scanned pages in; none when reading them is off.
    QStringList recognitionLanguages() const;
    void applyTo(CountingRunOptions &options) const;

    bool operator==(const RunPreferences &) const = default;

private:
    static RunPreferences read(const std::function<QString(const QString &key)> &lookup);
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

// A notice that names files read without OCR, ending with the hint to tick it; the notice as it
// is when OCR was on or there is nothing to say.
QString withRecognitionHint(const QString &notice, bool readScannedPages);
// The closing notice, with that hint when a file's text could not be read and OCR was off.
QString closingNoticeWithHint(const std::vector<FileFailure> &failures, bool readScannedPages);

} // namespace orvanta
