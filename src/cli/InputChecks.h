#pragma once

#include <QString>
#include <QStringList>

namespace orvanta {

// Standard input ("-"), a FIFO or a device: read once as it streams, never a second time.
bool isStreamedInput(const QString &path);

// The input that writing `output` would replace: the same file under any of its names (another
// path to it, a symbolic or hard link), or empty when there is none.
QString inputReplacedBy(const QString &output, const QStringList &inputs);

// The inputs of `inputs` that are read as they stream.
QStringList streamedInputs(const QStringList &inputs);

} // namespace orvanta
