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

ScanResult rowsForDrop(const QStringList &dropped, ErrorSink &errors, const ScanControl &control)
{
    ScanResult result;
    for (const QString &path : dropped) {
        if (control.stop.stop_requested())
            break;
        if (isFolder(path))
            result.append(filesInFolderTree(path, QLatin1String(kDropPattern), errors, control));
        else
            result.rows << path;
    }
    return result;
}

} // namespace orvanta
