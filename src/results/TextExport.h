#pragma once

#include "results/ExportHost.h"

class QAbstractItemModel;

namespace orvanta {

inline constexpr auto kTextSaveTitle = "Save";
// Windows' "All Files (*.*)" matches names without a dot too; "*" is that here.
inline constexpr auto kTextSaveFilter = "Text Files (*.txt);;All Files (*)";

// The question asked before an existing file is replaced.
QString overwriteQuestion(const QString &path);

// "Save Results As Text File" asks for a file name and writes the phrase column
// of every row, ticked or not, in list order: UTF-8 without a byte-order mark, CR LF after every
// line. The file is replaced only once it is completely written, so a failed save leaves the
// old one as it was; a device or FIFO is written to as it is, never replaced. Sets the hourglass
// while writing and the arrow after it; a cancelled dialog or a No leaves the pointer alone.
// Failures go to the host's error sink under `locationTag`.
void saveResultsAsTextFile(const QAbstractItemModel &list, const ExportHost &host,
                           const QString &locationTag);

} // namespace orvanta
