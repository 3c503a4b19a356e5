#include "app/ShownRowsExport.h"

#include "app/ExportFlow.h"
#include "results/ExportRows.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace orvanta {

ShownRowsExport::ShownRowsExport(DialogService &dialogs, QString title, QPushButton *csv,
                                 QPushButton *workbook, QLabel *status,
                                 std::function<ShownRows()> shown, QObject *parent)
    : QObject(parent)
    , m_csv(csv)
    , m_workbook(workbook)
    , m_status(status)
    , m_shown(std::move(shown))
    , m_flow(new ExportFlow(dialogs, std::move(title), this))
{
    connect(m_csv, &QPushButton::clicked, this, [this] { start(false); });
    connect(m_workbook, &QPushButton::clicked, this, [this] { start(true); });
}

void ShownRowsExport::stop()
{
    m_flow->stop();
}

void ShownRowsExport::start(bool workbook)
{
    if (m_flow->isRunning())
        return;
    const QString path =
        workbook ? m_flow->askPath(QStringLiteral("Export Shown Rows As Workbook"),
                                   QLatin1String(kWorkbookFilter), QStringLiteral("xlsx"))
                 : m_flow->askPath(QStringLiteral("Export Shown Rows As CSV"),
                                   QLatin1String(kCsvFilter), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    ShownRows shown = m_shown();
    m_csv->setEnabled(false);
    m_workbook->setEnabled(false);
    m_status->setText(QStringLiteral("Writing %1...").arg(QFileInfo(path).fileName()));
    m_flow->start(
        path, std::make_shared<ResultRows>(std::move(shown.results), std::move(shown.ids)),
        workbook ? ExportFlow::Format::Workbook : ExportFlow::Format::Csv, {},
        [this](const ExportFlow::Outcome &outcome) {
            m_csv->setEnabled(true);
            m_workbook->setEnabled(true);
            m_status->setText(outcome.written ? QStringLiteral("%1 rows written to %2.")
                                                    .arg(outcome.rows)
                                                    .arg(QFileInfo(outcome.path).fileName())
                                              : QString());
            emit finished();
        });
}

} // namespace orvanta
