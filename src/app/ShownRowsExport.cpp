#include "app/ShownRowsExport.h"

#include "app/ExportFlow.h"
#include "results/ExportRows.h"
#include "results/ResultsFilterModel.h"
#include "results/ResultsModel.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace orvanta {

ShownRowsExport::ShownRowsExport(DialogService &dialogs, QString title, const ResultsModel &list,
                                 const ResultsFilterModel &shown, const ShownRowsControls &controls,
                                 QObject *parent)
    : ShownRowsExport(
          dialogs, std::move(title),
          [&list, &shown] {
              const std::span<const std::uint32_t> ids = shown.shownResults();
              return std::make_shared<ResultRows>(
                  list.phrases(), std::vector<std::uint32_t>(ids.begin(), ids.end()),
                  shown.measures(), shown.keyness());
          },
          controls, parent)
{
}

ShownRowsExport::ShownRowsExport(DialogService &dialogs, QString title, ShownRows shownRows,
                                 const ShownRowsControls &controls, QObject *parent)
    : QObject(parent)
    , m_shownRows(std::move(shownRows))
    , m_controls(controls)
    , m_flow(new ExportFlow(dialogs, std::move(title), this))
{
    connect(m_controls.csv, &QPushButton::clicked, this, [this] { start(false); });
    connect(m_controls.workbook, &QPushButton::clicked, this, [this] { start(true); });
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
    std::shared_ptr<ExportRows> rows = m_shownRows();
    m_controls.csv->setEnabled(false);
    m_controls.workbook->setEnabled(false);
    m_controls.status->setText(QStringLiteral("Writing %1...").arg(QFileInfo(path).fileName()));
    m_flow->start(path, std::move(rows),
                  workbook ? ExportFlow::Format::Workbook : ExportFlow::Format::Csv, {},
                  [this](const ExportFlow::Outcome &outcome) {
                      m_controls.csv->setEnabled(true);
                      m_controls.workbook->setEnabled(true);
                      m_controls.status->setText(outcome.written
                                                     ? QStringLiteral("%1 rows written to %2.")
                                                           .arg(outcome.rows)
                                                           .arg(QFileInfo(outcome.path).fileName())
                                                     : QString());
                      emit finished();
                  });
}

} // namespace orvanta
