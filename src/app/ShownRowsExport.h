#pragma once

#include "app/ResultsView.h"

#include <QObject>
#include <QString>

namespace orvanta {

class DialogService;
class ExportFlow;
class ResultsFilterModel;
class ResultsModel;

// Writes the rows a list shows, in the order shown, as CSV or as a workbook when one of its two
// buttons is pressed, through the export flow, and says the outcome in the status label. The
// rows are written from a copy of the order and the results, which the list shares.
class ShownRowsExport final : public QObject {
    Q_OBJECT
public:
    ShownRowsExport(DialogService &dialogs, QString title, const ResultsModel &list,
                    const ResultsFilterModel &shown, const ShownRowsControls &controls,
                    QObject *parent);

    // Stops a write under way and waits for it to end.
    void stop();

signals:
    void finished();

private:
    void start(bool workbook);

    const ResultsModel &m_list;
    const ResultsFilterModel &m_shown;
    ShownRowsControls m_controls;
    ExportFlow *m_flow;
};

} // namespace orvanta
