#pragma once

#include "filelist/FolderScan.h"
#include "run/AdmissionCheck.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <stop_token>

namespace orvanta {

class BackgroundJob;
class ErrorSink;

// The input list's work off the window thread: the admission check after every addition and
// the folder walks of scans and drops. Results and progress come back as signals on the thread
// that owns this object.
class InputListWork final : public QObject {
    Q_OBJECT
public:
    InputListWork(AdmissionCheck &check, ErrorSink &errors, QObject *parent = nullptr);
    ~InputListWork() override;

    // Checks the whole list; a call while a check runs checks again right after it.
    void check(const QStringList &paths);
    // Walks a folder for PDFs (a scan) or dropped paths for files (a drop).
    void walk(const QStringList &paths, bool scan);
    // Walks paths handed over on the command line: folders for PDFs, files as named; it ends
    // as a scan does.
    void walkOpened(const QStringList &paths);

    bool isChecking() const;
    bool isWalking() const { return !m_walks.isEmpty(); }
    // Stops everything and waits for it; the window's events run meanwhile.
    void cancel();

signals:
    void progress(const QString &text);
    void walkFinished(const orvanta::ScanResult &found, bool scan);
    void checkFinished(const orvanta::AdmissionResult &result);
    // The list to check again, when rows were added during a check.
    void checkWanted();

private:
    void startWalk(std::function<ScanResult(const ScanControl &)> walker, bool scan);

    AdmissionCheck &m_check;
    ErrorSink &m_errors;
    BackgroundJob *m_checkJob;
    std::stop_source m_checkStop;
    bool m_checkAgain = false;
    QList<BackgroundJob *> m_walks;
    std::stop_source m_walkStop;
};

} // namespace orvanta
