#pragma once

#include <QByteArray>

class QFileDevice;

namespace orvanta {

// Writes every byte, retrying after a short write; false when a write fails. Open the file
// unbuffered: QFileDevice's own buffer can lose a short write at the last flush, and QSaveFile
// then commits a cut-off file as if all were well.
bool writeAll(QFileDevice &file, const QByteArray &bytes);

} // namespace orvanta
