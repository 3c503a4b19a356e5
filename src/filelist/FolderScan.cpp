#include "filelist/FolderScan.h"

#include <QDir>
#include <QFileInfo>

#include <set>
#include <sys/stat.h>
#include <utility>

namespace orvanta {

namespace {

using FolderIdentity = std::pair<dev_t, ino_t>;

bool firstVisit(const QString &folder, std::set<FolderIdentity> &visited)
{
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return false;
    return visited.insert({info.st_dev, info.st_ino}).second;
}

QStringList subfolders(const QString &folder)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted))
        paths << dir.filePath(name);
    return paths;
}

QStringList matchingFiles(const QString &folder, const QString &pattern)
{
    QStringList paths;
    QDir dir(folder);
    dir.setNameFilters({pattern});
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Unsorted);
    for (const QString &name : names) {
        if (!name.startsWith(QLatin1Char('~')))
            paths << dir.filePath(name);
    }
    return paths;
}

} // namespace

QStringList filesInFolderTree(const QString &folder, const QString &pattern)
{
    std::set<FolderIdentity> visited;
    QStringList level;
    if (firstVisit(folder, visited))
        level << QDir::cleanPath(folder);
    QStringList folders;
    while (!level.isEmpty()) {
        folders += level;
        QStringList next;
        for (const QString &parent : std::as_const(level)) {
            for (const QString &child : subfolders(parent)) {
                if (firstVisit(child, visited))
                    next << child;
            }
        }
        level = next;
    }
    QStringList files;
    for (const QString &path : std::as_const(folders))
        files += matchingFiles(path, pattern);
    return files;
}

} // namespace orvanta
