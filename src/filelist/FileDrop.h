#pragma once

#include "filelist/FolderScan.h"

#include <QStringList>

class QMimeData;

namespace orvanta {

class ErrorSink;

// The local paths a drag carries as file URLs (text/uri-list), in the order the source gives
// them. Empty when it carries none: the list then shows no-drop and a drop adds nothing.
QStringList droppedPaths(const QMimeData &data);

// The rows a drop adds, in the order of the dropped items. A folder (or a link to one) is walked
// like a folder scan but with "*.*", its files taking its place; anything else is added exactly
// as dropped, without any test. No duplicate test. Safe on any thread.
ScanResult rowsForDrop(const QStringList &dropped, ErrorSink &errors,
                       const ScanControl &control = {});

// The rows of paths handed over on the command line ("Open With"): a folder (or a link to one)
// adds the PDFs of its tree, as a folder scan does; anything else is added as named.
ScanResult rowsForOpening(const QStringList &paths, ErrorSink &errors,
                          const ScanControl &control = {});

} // namespace orvanta
