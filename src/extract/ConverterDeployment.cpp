#include "extract/ConverterDeployment.h"

#include "base/FileHelpers.h"

#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryFile>

namespace orvanta {

namespace {

ConverterStatus copyFailure(const QString &target, const QString &reason)
{
    return {{}, QStringLiteral("The PDF converter cannot be copied to %1: %2").arg(target, reason)};
}

// The rename never replaces a file: one already there means another instance was quicker.
ConverterStatus publish(const QString &partial, const QString &target)
{
    QFile file(partial);
    if (file.rename(target))
        return {target, {}};
    deleteFileQuietly(partial);
    if (fileExists(target))
        return {target, {}};
    return copyFailure(target, file.errorString());
}

ConverterStatus copyConverter(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return {{},
                QStringLiteral("The PDF converter %1 cannot be read: %2")
                    .arg(source, in.errorString())};
    const QByteArray bytes = in.readAll();

    // Written under a temporary name first, so no instance ever runs a partial copy.
    QTemporaryFile out(target + QStringLiteral("-XXXXXX.part"));
    out.setAutoRemove(false);
    if (!out.open())
        return copyFailure(target, out.errorString());
    const QString partial = out.fileName();
    const bool written = out.write(bytes) == bytes.size() && out.flush() &&
                         out.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString writeError = out.errorString();
    out.close();
    if (!written) {
        deleteFileQuietly(partial);
        return copyFailure(target, writeError);
    }
    return publish(partial, target);
}

} // namespace

QString processorAddressWidth()
{
    const bool is64 = QSysInfo::currentCpuArchitecture().contains(QStringLiteral("64")) ||
                      QSysInfo::WordSize == 64;
    return is64 ? QStringLiteral("64") : QStringLiteral("32");
}

ConverterBuild chooseConverterBuild(const QString &width)
{
    return width == QStringLiteral("64") ? ConverterBuild::Bits64 : ConverterBuild::Bits32;
}

QString findInstalledConverter(ConverterBuild)
{
    return QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
}

ConverterStatus deployConverter(const ConverterLookup &findInstalled)
{
    const PathResult folder = ensurePrivateTempFolder();
    if (!folder.ok())
        return {{}, folder.error};
    const QString target = converterPath();
    if (fileExists(target))
        return {target, {}};
    const QString source = findInstalled(chooseConverterBuild(processorAddressWidth()));
    if (source.isEmpty())
        return {{},
                QStringLiteral("The PDF converter pdftotext is not installed. Install the "
                               "package poppler-utils (sudo apt-get install poppler-utils).")};
    return copyConverter(source, target);
}

void removeConverter()
{
    deleteFileQuietly(converterPath());
}

} // namespace orvanta
