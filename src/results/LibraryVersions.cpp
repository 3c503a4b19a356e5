#include "results/LibraryVersions.h"

#include <poppler-version.h>
#include <xlsxwriter.h>

namespace orvanta {

QString librariesInUse()
{
    return QStringLiteral("Qt %1, poppler %2, libxlsxwriter %3")
        .arg(QString::fromLatin1(qVersion()), Poppler::Version::string(),
             QString::fromLatin1(lxw_version()));
}

} // namespace orvanta
