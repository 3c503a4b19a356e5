#pragma once

#include "base/Result.h"
#include "results/ExportWriters.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stop_token>

namespace orvanta {

class BackgroundJob;
class DialogService;
class ErrorSink;
class ExportRows;

// The question asked before an existing file is replaced.
QString overwriteQuestion(const QString &path);

// How every window writes results out: ask where, confirm replacing what is there, write on a
// background job from a copy of the rows so the window goes on meanwhile, and report what went
// wrong. The main window reports in its error box under the operation's tag, as it always has;
// the explorer in a warning.
class ExportFlow final : public QObject {
    Q_OBJECT
public:
    struct Reporting {
        ErrorSink *errors = nullptr; // null: a warning box
        QString locationTag;
    };
    struct Outcome {
        QString path;
        bool written = false;
        qsizetype rows = 0;
    };
    using Done = std::function<void(const Outcome &)>;
    enum class Format { Text, Csv, Workbook };

    ExportFlow(DialogService &dialogs, QString title, QObject *parent = nullptr);
    ~ExportFlow() override;

    // The save dialog and, for a file that exists, the question before it is replaced. A name
    // typed without a suffix gets `suffix`, unless that is empty. Empty when the user cancels.
    QString askPath(const QString &dialogTitle, const QString &filter, const QString &suffix = {});
    // Writes the rows to `path` off the window thread; `done` follows on the window thread, after
    // a failure or a cell left empty has been reported. False while a write is under way.
    bool start(const QString &path, std::shared_ptr<ExportRows> rows, Format format,
               const Reporting &reporting, Done done);

    bool isRunning() const;
    // Stops a write under way and waits for it to end.
    void stop();

private:
    void report(const Reporting &reporting, const QString &text);

    DialogService &m_dialogs;
    QString m_title;
    BackgroundJob *m_job;
    std::stop_source m_stop;
};

} // namespace orvanta
