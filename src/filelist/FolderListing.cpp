#include "filelist/FolderListing.h"

#include "filelist/FileAttributes.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <functional>
#include <sys/stat.h>

namespace orvanta {

namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// "*" and "?" matching with one backtracking point: the last star seen.
bool matchesPlainWildcard(QStringView name, QStringView pattern)
{
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == QLatin1Char('?') || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

QString withTrailingSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Calls `visit` with each entry of the folder but "." and ".."; returns 0 or the errno of the
// failure that ended the listing.
int forEachEntry(const QString &folder, const std::function<void(const dirent &)> &visit)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return errno;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry)
            break;
        if (!isDotOrDotDot(entry->d_name))
            visit(*entry);
    }
    const int error = errno;
    ::closedir(dir);
    return error;
}

bool isFolderEntry(const QString &folder, const dirent &entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    return isFolder(folder + QFile::decodeName(entry.d_name));
}

} // namespace

bool matchesWildcard(const QString &name, const QString &pattern)
{
    if (matchesPlainWildcard(name, pattern))
        return true;
    return pattern.endsWith(QLatin1String(".*")) &&
           matchesPlainWildcard(name, QStringView(pattern).chopped(2));
}

QStringList listFilesInFolder(const QString &folder, const QString &pattern)
{
    const QString prefix = withTrailingSlash(folder);
    QStringList names;
    forEachEntry(prefix, [&](const dirent &entry) {
        if (entry.d_type == DT_DIR)
            return;
        const QString name = QFile::decodeName(entry.d_name);
        if (matchesWildcard(name, pattern) && isExistingFile(prefix + name))
            names << name;
    });
    return names;
}

SubfolderListing listSubfolders(const QString &folder)
{
    const QString prefix = withTrailingSlash(folder);
    SubfolderListing listing;
    listing.error = forEachEntry(prefix, [&](const dirent &entry) {
        if (isFolderEntry(prefix, entry))
            listing.names << QFile::decodeName(entry.d_name);
    });
    return listing;
}

} // namespace orvanta
