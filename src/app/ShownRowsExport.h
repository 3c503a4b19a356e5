#pragma once

#include "app/ResultsView.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace orvanta {

class DialogService;
class ExportFlow;
class ExportRows;
class ResultsFilterModel;
class ResultsModel;

// Writes the rows a list shows, in the order shown, as CSV or as a workbook when one of its two
// buttons is pressed, through the export flow, and says the outcome in the status label. The
// rows are written from a copy of the order and the results, which the list shares.
class ShownRowsExport final : public QObject {
    Q_OBJECT
public:
    // A copy of the rows shown, made when a button is pressed.
    using ShownRows = std::function<std::shared_ptr<ExportRows>()>;

    ShownRowsExport(DialogService &dialogs, QString title, const ResultsModel &list,
                    const ResultsFilterModel &shown, const ShownRowsControls &controls,
                    QObject *parent);
    ShownRowsExport(DialogService &dialogs, QString title, ShownRows shownRows,
                    const ShownRowsControls &controls, QObject *parent);

    // Stops a write under way and waits for it to end.
    void stop();

signals:
    void finished();

private:
    void start(bool workbook);

    ShownRows m_shownRows;
    ShownRowsControls m_controls;
    ExportFlow *m_flow;
};

} // namespace orvanta
