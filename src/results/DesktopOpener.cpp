#include "results/DesktopOpener.h"

#include "results/SpreadsheetPresence.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace orvanta {

bool openWithDesktopProgram(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool openWorkbook(const QString &path)
{
    if (openWithDesktopProgram(path))
        return true;
    const QString program = spreadsheetProgramOnPath();
    return !program.isEmpty() && QProcess::startDetached(program, {path});
}

} // namespace orvanta
