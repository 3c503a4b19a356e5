#include "results/SpreadsheetPresence.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace orvanta {

namespace {

constexpr int kQueryMilliseconds = 5000;

bool desktopDefaultForXlsx()
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start(xdgMime,
                {QStringLiteral("query"), QStringLiteral("default"), QLatin1String(kXlsxMimeType)});
    if (!query.waitForFinished(kQueryMilliseconds)) {
        query.kill();
        query.waitForFinished();
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

QString spreadsheetProgramOnPath()
{
    static const char *const names[] = {
        "libreoffice",   "localc", "soffice", "gnumeric", "onlyoffice-desktopeditors",
        "desktopeditors"};
    for (const char *name : names) {
        const QString program = QStandardPaths::findExecutable(QLatin1String(name));
        if (!program.isEmpty())
            return program;
    }
    return {};
}

bool spreadsheetProgramFound()
{
    return !spreadsheetProgramOnPath().isEmpty() || desktopDefaultForXlsx();
}

} // namespace orvanta
