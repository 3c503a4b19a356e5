// Attribute values of any path inside a small tree with every kind of entry: folders, files, a
// read-only file, dot names, links (good, dangling, looping) and a named pipe.
#include "FuzzSupport.h"
#include "filelist/FileAttributes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvanta;
using namespace orvanta::fuzz;
using namespace orvanta::attribute_bits;

namespace {

void makeFile(const QString &path, QFile::Permissions permissions)
{
    QFile file(path);
    check(file.open(QIODevice::WriteOnly), "tree file", path);
    file.write("x");
    file.close();
    file.setPermissions(permissions);
}

QString makeTree()
{
    static QTemporaryDir root(QDir::tempPath() + QStringLiteral("/orvanta-fuzz-tree-XXXXXX"));
    const QString base = root.path();
    const auto path = [&](const char *name) {
        return base + QLatin1Char('/') + QLatin1String(name);
    };
    QDir(base).mkpath(QStringLiteral("dir/sub"));
    QDir(base).mkpath(QStringLiteral(".dotdir"));
    makeFile(path("a.pdf"), QFile::ReadOwner | QFile::WriteOwner);
    makeFile(path("ro.pdf"), QFile::ReadOwner);
    makeFile(path(".hidden"), QFile::ReadOwner | QFile::WriteOwner);
    makeFile(path("dir/b.pdf"), QFile::ReadOwner | QFile::WriteOwner);
    QFile::link(QStringLiteral("a.pdf"), path("file-link"));
    QFile::link(QStringLiteral("dir"), path("dir-link"));
    QFile::link(QStringLiteral("missing"), path("dangling"));
    QFile::link(QStringLiteral("loop"), path("loop"));
    ::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600);
    return base;
}

// The fuzzed text as a path below the tree: no "..", no NUL (no file name can hold one).
QString pathInTree(const QString &base, QString text)
{
    text.remove(QChar(0));
    QStringList parts = text.split(QLatin1Char('/'));
    parts.removeAll(QStringLiteral(".."));
    return base + QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

QString lastName(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString base = makeTree();
    const QString path = pathInTree(base, QString::fromUtf8(bytes(data, size)));
    const int value = fileAttributes(path);
    const bool folder = isFolder(path);
    const bool file = isExistingFile(path);

    struct stat info {};
    QByteArray native = QFile::encodeName(path);
    while (native.size() > 1 && native.endsWith('/'))
        native.chop(1);
    const bool present = ::lstat(native.constData(), &info) == 0;
    check((value != kNoAttributes) == present, "attributes exactly for present entries", path);
    check(folder == (value != kNoAttributes && (value & kDirectory)), "isFolder agrees", path);
    if (file)
        check(value != kNoAttributes && (value & kArchive) && !(value & kDirectory),
              "an existing file is an archive entry", path);
    if (value == kNoAttributes)
        return 0;
    check(!((value & kDirectory) && (value & kArchive)), "folder or file, not both", path);
    check(bool(value & kReparsePoint) == S_ISLNK(info.st_mode), "links and only links", path);
    check(bool(value & kHidden) == lastName(path).startsWith(QLatin1Char('.')), "hidden names",
          path);
    check(!(value & kSystem) || ((value & kHidden) && (value & kDirectory)),
          "system only for hidden folders", path);
    check((value & ~(kReadOnly | kHidden | kSystem | kDirectory | kArchive | kReparsePoint)) == 0,
          "known bits only", path);
    return 0;
}
