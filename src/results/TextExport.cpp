#include "results/TextExport.h"

#include "base/DialogService.h"
#include "base/ErrorReport.h"
#include "base/FileHelpers.h"
#include "results/ListTable.h"

#include <QSaveFile>

namespace orvanta {

namespace {

QByteArray textLine(const ListTable &list, int row)
{
    return (list.cellText(row, 0) + QStringLiteral("\r\n")).toUtf8();
}

// Writes every row; stops at the first failed write and returns its reason.
QString writeRows(const ListTable &list, QSaveFile &file, const ExportHost &host)
{
    for (int row = 0;; ++row) {
        host.yield();
        // Read again after the events: they may have cleared the list.
        if (row >= list.rowCount())
            return {};
        if (file.write(textLine(list, row)) < 0)
            return file.errorString();
    }
}

} // namespace

QString overwriteQuestion(const QString &path)
{
    return QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
}

void saveResultsAsTextFile(const QAbstractItemModel &model, const ExportHost &host)
{
    TrappedOperation operation(
        locationTag(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click")), host.errors);
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
    operation.step([&] { host.pointer(ExportHost::Hourglass); });

    QSaveFile file(path);
    operation.step([&] {
        if (!file.open(QIODevice::WriteOnly))
            throw OperationError(
                QStringLiteral("Cannot create %1: %2").arg(path, file.errorString()));
    });
    QString writeError;
    operation.step([&] {
        if (file.isOpen())
            writeError = writeRows(list, file, host);
    });
    operation.step([&] {
        if (file.isOpen() && !file.commit())
            throw OperationError(
                QStringLiteral("Cannot write %1: %2")
                    .arg(path, writeError.isEmpty() ? file.errorString() : writeError));
    });
    operation.step([&] { host.pointer(ExportHost::ArrowPointer); });
}

} // namespace orvanta
