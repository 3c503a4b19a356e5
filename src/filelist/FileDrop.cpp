#include "filelist/FileDrop.h"

#include "filelist/FileAttributes.h"

#include <QMimeData>
#include <QUrl>

namespace orvanta {

QStringList droppedPaths(const QMimeData &data)
{
    QStringList paths;
    if (!data.hasUrls())
        return paths;
    for (const QUrl &url : data.urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths << url.toLocalFile();
    }
    return paths;
}

namespace {

// Each folder's files matching `pattern` in its place, anything else as it is.
ScanResult rowsWithFoldersWalked(const QStringList &paths, const QString &pattern,
                                 ErrorSink &errors, const ScanControl &control)
{
    ScanResult result;
    for (const QString &path : paths) {
        if (control.stop.stop_requested())
            break;
        if (isFolder(path))
            result.append(filesInFolderTree(path, pattern, errors, control));
        else
            result.rows << path;
    }
    return result;
}

} // namespace

ScanResult rowsForDrop(const QStringList &dropped, ErrorSink &errors, const ScanControl &control)
{
    return rowsWithFoldersWalked(dropped, QLatin1String(kDropPattern), errors, control);
}

ScanResult rowsForOpening(const QStringList &paths, ErrorSink &errors, const ScanControl &control)
{
    return rowsWithFoldersWalked(paths, QLatin1String(kScanPattern), errors, control);
}

} // namespace orvanta
