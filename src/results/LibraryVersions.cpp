#include "results/LibraryVersions.h"

#include "results/ExportWriters.h"

#include <poppler-version.h>

namespace orvanta {

QString librariesInUse()
{
    return QStringLiteral("Qt %1, poppler %2, libxlsxwriter %3")
        .arg(QString::fromLatin1(qVersion()), Poppler::Version::string(), workbookLibraryVersion());
}

} // namespace orvanta
