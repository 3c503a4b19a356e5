#pragma once

#include "phrases/PhraseResults.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;

namespace orvanta {

class DialogService;
class ExportFlow;

// The rows a list shows, with the results they index.
struct ShownRows {
    std::shared_ptr<const PhraseResults> results;
    std::vector<std::uint32_t> ids;
};

// Writes the rows a list shows as CSV or as a workbook when one of its two buttons is pressed,
// through the export flow, and says the outcome in the status label.
class ShownRowsExport final : public QObject {
    Q_OBJECT
public:
    ShownRowsExport(DialogService &dialogs, QString title, QPushButton *csv, QPushButton *workbook,
                    QLabel *status, std::function<ShownRows()> shown, QObject *parent);

    // Stops a write under way and waits for it to end.
    void stop();

signals:
    void finished();

private:
    void start(bool workbook);

    QPushButton *m_csv;
    QPushButton *m_workbook;
    QLabel *m_status;
    std::function<ShownRows()> m_shown;
    ExportFlow *m_flow;
};

} // namespace orvanta
