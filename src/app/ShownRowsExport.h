#pragma once

#include "phrases/PhraseResults.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

class QLabel;
class QPushButton;

namespace orvanta {

class BackgroundJob;
class DialogService;

// The rows a list shows, with the results they index.
struct ShownRows {
    std::shared_ptr<const PhraseResults> results;
    std::vector<std::uint32_t> ids;
};

// Writes the rows a list shows as CSV or as a workbook when one of its two buttons is pressed:
// asks where, then writes off the window thread from a copy, so the window goes on meanwhile,
// and says the outcome in the status label.
class ShownRowsExport final : public QObject {
    Q_OBJECT
public:
    ShownRowsExport(DialogService &dialogs, QString title, QPushButton *csv, QPushButton *workbook,
                    QLabel *status, std::function<ShownRows()> shown, QObject *parent);
    ~ShownRowsExport() override;

    // Stops a write under way and waits for it to end.
    void stop();

signals:
    void finished();

private:
    void start(bool workbook);
    QString askPath(bool workbook);

    DialogService &m_dialogs;
    QString m_title;
    QPushButton *m_csv;
    QPushButton *m_workbook;
    QLabel *m_status;
    std::function<ShownRows()> m_shown;
    BackgroundJob *m_job;
    std::stop_source m_stop;
};

} // namespace orvanta
