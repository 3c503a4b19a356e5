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

QStringList rowsForDrop(const QStringList &dropped, ErrorSink &errors, const ScanControl &control)
{
    QStringList rows;
    for (const QString &path : dropped) {
        if (control.stop.stop_requested())
            break;
        if (isFolder(path))
            rows += filesInFolderTree(path, QLatin1String(kDropPattern), errors, control);
        else
            rows << path;
    }
    return rows;
}

} // namespace orvanta
