#include "base/ProgramInfo.h"

#include <QDir>
#include <QFileInfo>

#ifndef ORVANTA_VERSION
#error "ORVANTA_VERSION names the version of the build"
#endif

namespace orvanta {

QString programVersion()
{
    return QStringLiteral(ORVANTA_VERSION);
}

QString aboutText()
{
    return QStringLiteral("Orvanta %1\r\rCount how often phrases repeat across PDF files.\r\r"
                          "Licence: GPL-3.0-or-later")
        .arg(programVersion());
}

QStringList programIconFiles(const QString &dataDir)
{
    QStringList files;
    for (const int size : {256, 128, 64, 48, 32, 24, 16}) {
        const QFileInfo icon(dataDir + QStringLiteral("/../icons/hicolor/%1x%1/apps/"
                                                      "io.teralune.Orvanta.png")
                                           .arg(size));
        if (icon.isFile())
            files << QDir::cleanPath(icon.absoluteFilePath());
    }
    return files;
}

} // namespace orvanta
