#pragma once

#include "base/Descriptor.h"
#include "base/Result.h"

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace orvanta {

// An open folder. Everything below it is created, opened and removed relative to its descriptor,
// never by path, so a name swapped for a link after the folder was checked leads nowhere.
class Directory {
public:
    Directory() = default;
    Directory(Descriptor fd, QString path);

    int fd() const { return m_fd.get(); }
    bool isOpen() const { return m_fd.isOpen(); }
    // For messages and for programs that need a path; never used to reach what lies below.
    const QString &path() const { return m_path; }
    QString pathOf(const QString &name) const { return m_path + QLatin1Char('/') + name; }

    // A new private folder (0700) named `prefix` plus a random ending.
    Result<Directory> makeSubfolder(const QString &prefix) const;
    Result<Directory> openSubfolder(const QString &name) const;
    // A new private file (0600); fails when the name is taken.
    Result<Descriptor> createFile(const QString &name) const;
    // A new private file named `prefix` plus a random ending plus `suffix`; gives its name.
    Result<QString> createUniqueFile(const QString &prefix, const QString &suffix,
                                     Descriptor &fd) const;
    Result<Descriptor> openFile(const QString &name) const;
    bool removeFile(const QString &name) const;
    // Renames an entry, replacing what bears the new name.
    bool rename(const QString &from, const QString &to) const;
    // Removes the entry and, for a folder, everything below it; links are removed, not followed.
    bool removeTree(const QString &name) const;

private:
    Descriptor m_fd;
    QString m_path;
};

// Writes every byte, retrying short writes; false with errno set when the write failed.
bool writeAll(int fd, QByteArrayView bytes);

// The user's private temporary folder, "orvanta-" plus the user id, below the first safe parent
// of $XDG_RUNTIME_DIR, $TMPDIR and /tmp (a parent others can write is safe only with the sticky
// bit). Made with mode 0700 when missing; when the name is taken by someone else, a folder of
// our own making is used instead.
Result<Directory> openPrivateFolder();

// A new empty file in the private folder, named `prefix` plus a random ending plus `suffix`, for
// another program to open: gives its path.
Result<QString> createPrivateFile(const QString &prefix, const QString &suffix);

// This process's own folder inside the private folder, held with a lock for its lifetime and
// removed with everything in it when the object goes. Making one first removes the folders of
// instances that are gone (their lock is free); folders of live instances are left alone.
class InstanceFolder {
public:
    static Result<std::unique_ptr<InstanceFolder>> create();
    // The same inside `parent`, named `prefix` plus the process id and a random ending; the
    // folders of gone instances with that prefix are removed.
    static Result<std::unique_ptr<InstanceFolder>> createIn(Directory parent,
                                                            const QString &prefix);
    ~InstanceFolder();
    InstanceFolder(const InstanceFolder &) = delete;
    InstanceFolder &operator=(const InstanceFolder &) = delete;

    const Directory &directory() const { return m_folder; }

private:
    InstanceFolder(Directory parent, Directory folder, QString name, Descriptor lock);

    Directory m_parent;
    Directory m_folder;
    QString m_name;
    Descriptor m_lock;
};

} // namespace orvanta
