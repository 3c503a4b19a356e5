#include "filelist/FolderListing.h"

#include "filelist/FileAttributes.h"

#include <QFile>

#include <algorithm>
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

// Names that are not valid UTF-8 cannot be written back to the file system once decoded.
bool isUtf8Name(const char *name)
{
    return QByteArrayView(name).isValidUtf8();
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

int compareNaturally(QStringView a, QStringView b)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            QStringView numberA = a.sliced(i, endA - i), numberB = b.sliced(j, endB - j);
            while (numberA.size() > 1 && numberA.front() == u'0')
                numberA = numberA.sliced(1);
            while (numberB.size() > 1 && numberB.front() == u'0')
                numberB = numberB.sliced(1);
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size() ? -1 : 1;
            if (const int order = numberA.compare(numberB))
                return order;
            i = endA;
            j = endB;
            continue;
        }
        const QChar foldedA = a[i].toCaseFolded(), foldedB = b[j].toCaseFolded();
        if (foldedA != foldedB)
            return foldedA < foldedB ? -1 : 1;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return (a.size() - i) < (b.size() - j) ? -1 : 1;
    return a.compare(b); // names equal but for case or leading zeros keep one fixed order
}

void sortNaturally(QStringList &names)
{
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return compareNaturally(a, b) < 0; });
}

FolderListing listFilesInFolder(const QString &folder, const QString &pattern)
{
    const QString prefix = withTrailingSlash(folder);
    FolderListing listing;
    listing.error = forEachEntry(prefix, [&](const dirent &entry) {
        if (entry.d_type == DT_DIR)
            return;
        if (!isUtf8Name(entry.d_name)) {
            ++listing.skippedNames;
            return;
        }
        const QString name = QFile::decodeName(entry.d_name);
        if (matchesWildcard(name, pattern) && isExistingFile(prefix + name))
            listing.names << name;
    });
    sortNaturally(listing.names);
    return listing;
}

FolderListing listSubfolders(const QString &folder)
{
    const QString prefix = withTrailingSlash(folder);
    FolderListing listing;
    listing.error = forEachEntry(prefix, [&](const dirent &entry) {
        if (!isFolderEntry(prefix, entry))
            return;
        if (isUtf8Name(entry.d_name))
            listing.names << QFile::decodeName(entry.d_name);
        else
            ++listing.skippedNames;
    });
    sortNaturally(listing.names);
    return listing;
}

} // namespace orvanta
