#include "app/ShownRowsExport.h"

#include "app/BackgroundJob.h"
#include "base/DialogService.h"
#include "base/FileHelpers.h"
#include "results/ResultsTableFile.h"
#include "results/TextExport.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace orvanta {

ShownRowsExport::ShownRowsExport(DialogService &dialogs, QString title, QPushButton *csv,
                                 QPushButton *workbook, QLabel *status,
                                 std::function<ShownRows()> shown, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
    , m_title(std::move(title))
    , m_csv(csv)
    , m_workbook(workbook)
    , m_status(status)
    , m_shown(std::move(shown))
    , m_job(new BackgroundJob(this))
{
    connect(m_csv, &QPushButton::clicked, this, [this] { start(false); });
    connect(m_workbook, &QPushButton::clicked, this, [this] { start(true); });
}

ShownRowsExport::~ShownRowsExport()
{
    stop();
}

void ShownRowsExport::stop()
{
    m_stop.request_stop();
    m_job->waitForEnd();
}

QString ShownRowsExport::askPath(bool workbook)
{
    QString path = m_dialogs.saveFile(workbook ? QStringLiteral("Export Shown Rows As Workbook")
                                               : QStringLiteral("Export Shown Rows As CSV"),
                                      QLatin1String(workbook ? kWorkbookFilter : kCsvFilter));
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += workbook ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    if (fileExists(path) && !m_dialogs.question(overwriteQuestion(path), m_title))
        return {};
    return path;
}

void ShownRowsExport::start(bool workbook)
{
    if (m_job->isRunning())
        return;
    const QString path = askPath(workbook);
    if (path.isEmpty())
        return;
    ShownRows rows = m_shown();
    const std::size_t count = rows.ids.size();
    auto status = std::make_shared<Status>();
    m_stop = std::stop_source();
    m_csv->setEnabled(false);
    m_workbook->setEnabled(false);
    m_status->setText(QStringLiteral("Writing %1...").arg(QFileInfo(path).fileName()));
    m_job->start(
        [path, workbook, status, rows = std::move(rows), stop = m_stop.get_token()] {
            *status = workbook ? writeResultsWorkbook(path, *rows.results, rows.ids, stop)
                               : writeResultsCsv(path, *rows.results, rows.ids, stop);
        },
        [this, path, status, count] {
            m_csv->setEnabled(true);
            m_workbook->setEnabled(true);
            m_status->setText(status->ok() ? QStringLiteral("%1 rows written to %2.")
                                                 .arg(count)
                                                 .arg(QFileInfo(path).fileName())
                                           : QString());
            if (!status->ok())
                m_dialogs.message(status->error(), m_title, DialogService::Icon::Warning);
            emit finished();
        });
}

} // namespace orvanta
