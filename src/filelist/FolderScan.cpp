#include "filelist/FolderScan.h"

#include "base/ErrorReport.h"
#include "filelist/FileAttributes.h"
#include "filelist/FolderListing.h"
#include "filelist/PathJoin.h"

#include <QFile>

#include <cerrno>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace orvanta {

namespace {

constexpr qsizetype kPathLimit = 260;
constexpr int kHiddenSystemFolder = 22;
constexpr int kHiddenSystemLink = 1046;
constexpr int kHiddenArchiveFile = 34;

// The numbers the walk's reports carry: the attribute test before a folder is walked, and the one
// before a subfolder is kept.
constexpr int kLineWalkTest = 112;
constexpr int kLineKeepTest = 140;

using FolderIdentity = std::pair<dev_t, ino_t>;

std::optional<FolderIdentity> identityOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FolderIdentity{info.st_dev, info.st_ino};
}

bool isRootFolder(const QString &path)
{
    return !path.isEmpty() && path.count(QLatin1Char('/')) == path.size();
}

bool isHiddenSystem(int attributes)
{
    return attributes == kHiddenSystemFolder || attributes == kHiddenSystemLink;
}

// Failures that mean the folder cannot be walked at all: it is taken off the list.
bool dropsFolder(int error)
{
    return error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR;
}

bool isAcceptedName(const QString &name)
{
    return name.size() < kPathLimit;
}

class FolderWalk {
public:
    FolderWalk(ErrorSink &errors, const ScanControl &control)
        : m_trap(locationTag(QStringLiteral("AddFolder"), QStringLiteral("GetSubDirectories2016")),
                 errors)
        , m_control(control)
    {
    }

    int skippedNames() const { return m_skipped; }

    void run(QStringList &folders, bool recurse)
    {
        for (const QString &folder : std::as_const(folders))
            remember(folder);
        std::vector<QStringList> levels;
        levels.push_back(walkLevel(folders));
        while (recurse && !levels.back().isEmpty() && !stopped())
            levels.push_back(walkLevel(levels.back()));
        for (const QStringList &level : levels)
            appendKept(level, folders);
    }

private:
    // Lists the subfolders of every entry of `level`; entries that cannot be listed leave it.
    QStringList walkLevel(QStringList &level)
    {
        QStringList next;
        const QStringList entries = level;
        for (const QString &entry : entries) {
            if (stopped())
                break;
            walkEntry(entry, level, next);
        }
        return next;
    }

    void walkEntry(const QString &entry, QStringList &level, QStringList &next)
    {
        if (!isFolder(entry) || entry.size() >= kPathLimit)
            return;
        notify(entry);
        if (!passesAttributeTest(entry, kLineWalkTest))
            return;
        const FolderListing listing = listSubfolders(entry);
        m_skipped += listing.skippedNames;
        for (const QString &name : listing.names) {
            if (isAcceptedName(name))
                appendUnseen(entry + name + QLatin1Char('/'), next);
        }
        if (dropsFolder(listing.error))
            level.removeOne(entry);
    }

    // Folders left out by the attribute test are never walked, so only the others claim their
    // identity: a link to a folder already in the walk is not taken again.
    void appendUnseen(const QString &folder, QStringList &next)
    {
        if (isHiddenSystem(fileAttributes(folder)) || remember(folder))
            next << folder;
    }

    bool remember(const QString &folder)
    {
        const std::optional<FolderIdentity> identity = identityOf(folder);
        return !identity || m_seen.insert(*identity).second;
    }

    void appendKept(const QStringList &level, QStringList &folders)
    {
        for (const QString &folder : level) {
            if (!isFolder(folder))
                continue;
            notify(folder);
            if (passesAttributeTest(folder, kLineKeepTest))
                folders << folder;
        }
    }

    // A folder that vanished after it was found is reported, and the test counts as passed.
    bool passesAttributeTest(const QString &folder, int line)
    {
        if (isRootFolder(folder))
            return true;
        int attributes = kNoAttributes;
        m_trap.step(line, [&] {
            attributes = fileAttributes(folder);
            if (attributes == kNoAttributes)
                throw OperationError(QStringLiteral("Path not found"));
        });
        return !isHiddenSystem(attributes);
    }

    void notify(const QString &folder)
    {
        if (m_control.progress && !stopped())
            m_control.progress(folder);
    }

    bool stopped() const { return m_control.stop.stop_requested(); }

    TrappedOperation m_trap;
    const ScanControl &m_control;
    std::set<FolderIdentity> m_seen;
    int m_skipped = 0;
};

// The listing has already kept only names that open as files.
void appendMatchingFiles(const QString &folder, const QString &pattern, ScanResult &result)
{
    const FolderListing listing = listFilesInFolder(folder, pattern);
    result.skippedNames += listing.skippedNames;
    for (const QString &name : listing.names) {
        if (name.startsWith(QLatin1Char('~')))
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        if (fileAttributes(path) != kHiddenArchiveFile)
            result.rows << collapseSlashes(path);
    }
}

} // namespace

QString skippedNamesText(int skippedNames)
{
    return skippedNames == 1
               ? QStringLiteral("1 name was left out because it is not valid UTF-8; rename it to "
                                "add it.")
               : QStringLiteral("%1 names were left out because they are not valid UTF-8; "
                                "rename them to add them.")
                     .arg(skippedNames);
}

int collectSubfolders(QStringList &folders, bool recurse, ErrorSink &errors,
                      const ScanControl &control)
{
    FolderWalk walk(errors, control);
    walk.run(folders, recurse);
    return walk.skippedNames();
}

ScanResult filesInFolderTree(const QString &folder, const QString &pattern, ErrorSink &errors,
                             const ScanControl &control)
{
    ScanResult result;
    if (folder.isEmpty())
        return result;
    QStringList folders{folder + QLatin1Char('/')};
    result.skippedNames = collectSubfolders(folders, true, errors, control);
    for (const QString &entry : std::as_const(folders)) {
        if (control.stop.stop_requested())
            break;
        if (control.progress)
            control.progress(entry);
        appendMatchingFiles(entry.chopped(1), pattern, result);
    }
    return result;
}

} // namespace orvanta
