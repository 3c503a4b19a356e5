#include "app/StoredChoices.h"

#include "app/StoredNames.h"
#include "base/DialogService.h"
#include "base/FileHelpers.h"
#include "base/SettingsStore.h"
#include "filelist/SampleFiles.h"

#include <algorithm>

namespace orvanta {

namespace {

namespace keys = stored_names::keys;

QStringList storedSamplePaths(const SettingsStore &settings)
{
    return snapshotPaths(unscrambleText(settings.readText(QLatin1String(keys::kSamplesSnapshot))));
}

} // namespace

QString chooseScanFolder(DialogService &dialogs, SettingsStore &settings)
{
    settings.writeText(QLatin1String(keys::kScanExtension), QStringLiteral("pdf"));
    const QString last = settings.readText(QLatin1String(keys::kLastScanFolder));
    const QString chosen = dialogs.chooseFolder(QLatin1String(kChooseFolderTitle), last);
    if (!chosen.isEmpty())
        settings.writeText(QLatin1String(keys::kLastScanFolder), chosen);
    return chosen;
}

void takeSamplesSnapshot(const QString &appDir, SettingsStore &settings)
{
    settings.writeText(QLatin1String(keys::kSamplesSnapshot),
                       scrambleText(samplesSnapshotText(appDir)));
}

void refreshSamplesSnapshot(const QString &appDir, SettingsStore &settings)
{
    const QStringList paths = storedSamplePaths(settings);
    if (std::none_of(paths.begin(), paths.end(), fileExists))
        takeSamplesSnapshot(appDir, settings);
}

QStringList sampleFilesToAdd(const SettingsStore &settings, const QStringList &rows)
{
    return samplesToAdd(storedSamplePaths(settings), rows);
}

} // namespace orvanta
