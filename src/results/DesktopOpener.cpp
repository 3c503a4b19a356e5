#include "results/DesktopOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace orvanta {

bool openWithDesktopProgram(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace orvanta
