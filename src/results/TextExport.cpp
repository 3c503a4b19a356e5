#include "results/TextExport.h"

#include "base/DialogService.h"
#include "base/ErrorReport.h"
#include "base/FileHelpers.h"
#include "base/OutputFile.h"
#include "results/ListTable.h"

namespace orvanta {

namespace {

constexpr qsizetype kChunkBytes = 64 * 1024;

QByteArray textLine(const ListTable &list, int row)
{
    return (list.cellText(row, 0) + QStringLiteral("\r\n")).toUtf8();
}

// Writes every row in chunks; stops at the first failed write and returns its reason.
QString writeRows(const ListTable &list, OutputFile &file, const ExportHost &host)
{
    QByteArray chunk;
    for (int row = 0;; ++row) {
        host.yield();
        // Read again after the events: they may have cleared the list.
        const bool end = row >= list.rowCount();
        if (!end)
            chunk += textLine(list, row);
        if (end || chunk.size() >= kChunkBytes) {
            if (!file.write(chunk))
                return file.errorString();
            chunk.clear();
        }
        if (end)
            return {};
    }
}

} // namespace

QString overwriteQuestion(const QString &path)
{
    return QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
}

void saveResultsAsTextFile(const QAbstractItemModel &model, const ExportHost &host,
                           const QString &locationTag)
{
    TrappedOperation operation(locationTag, host.errors);
    const ListTable list(model);
    QString path;
    operation.step([&] {
        path = host.dialogs.saveFile(QLatin1String(kTextSaveTitle), QLatin1String(kTextSaveFilter));
    });
    if (path.isEmpty())
        return;
    bool replace = true;
    operation.step([&] {
        if (fileExists(path))
            replace = host.dialogs.question(overwriteQuestion(path), host.title);
    });
    if (!replace)
        return;
    operation.step([&] { host.pointer(Hourglass); });

    OutputFile file(path);
    operation.step([&] {
        if (!file.open())
            throw OperationError(
                QStringLiteral("Cannot create %1: %2").arg(path, file.errorString()));
    });
    QString writeError;
    operation.step([&] {
        if (file.isOpen())
            writeError = writeRows(list, file, host);
    });
    operation.step([&] {
        if (file.isOpen() && !file.finish())
            throw OperationError(
                QStringLiteral("Cannot write %1: %2")
                    .arg(path, writeError.isEmpty() ? file.errorString() : writeError));
    });
    operation.step([&] { host.pointer(ArrowPointer); });
}

} // namespace orvanta
