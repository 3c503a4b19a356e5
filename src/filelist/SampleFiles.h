#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvanta {

// The fixed word both scrambling directions use.
inline constexpr auto kScrambleKey = "marzipan";

inline constexpr auto kSampleQuestion =
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?";

inline constexpr auto kSamplesMissing =
    "The sample files are missing: the folder %1 does not exist. Reinstall Orvanta to get them "
    "back.";

// Adds (or subtracts) the key's letters to the bytes in turn, the key repeating. The wrap is by
// 255, not 256: bytes 1 to 255 stay within 1 to 255, and unscrambling undoes scrambling for them.
QByteArray scrambleBytes(const QByteArray &plain, const QByteArray &key = kScrambleKey);
QByteArray unscrambleBytes(const QByteArray &scrambled, const QByteArray &key = kScrambleKey);

// The stored form of a text: its UTF-8 bytes scrambled and written in base64, so that paths
// with any character survive the settings file. The empty text stays empty.
QString scrambleText(const QString &plain);
// The text back from its stored form; the empty text when the value is not base64.
QString unscrambleText(const QString &stored);

// The folder "Samples" next to the executables.
QString samplesFolder(const QString &appDir);

// The sample files' full paths in name order (every file, hidden ones too) as a JSON array,
// so that any name survives; the empty text for an empty or missing folder.
QString samplesSnapshotText(const QString &appDir);

// The paths of a snapshot text; one stored by an earlier version joins them with "|".
QStringList snapshotPaths(const QString &snapshot);

// The samples to add to the rows: the snapshot's paths that still exist and are not yet rows
// (exact, case-sensitive comparison), each once, in snapshot order.
QStringList samplesToAdd(const QStringList &snapshot, const QStringList &rows);

} // namespace orvanta
