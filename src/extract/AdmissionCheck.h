#pragma once

#include "base/ErrorReport.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <future>
#include <optional>
#include <stop_token>
#include <vector>

namespace orvanta {

struct AdmissionResult {
    QStringList rejected;     // in list order, repeats included
    QString notice;           // empty when nothing was rejected
    QString converterProblem; // set when the converter could not be made ready
    bool cancelled = false;
};

// The notice that names the PDFs that yield no readable text.
QString admissionNotice(const QStringList &rejected);

// Converts every listed PDF (no password) and rejects those whose text is under 10 bytes:
// scanned, password-protected or damaged files. Verdicts are remembered by path, size and
// modification time, so only new or changed files are converted again.
class AdmissionCheck {
public:
    using Progress = std::function<void(int done, int total, const QString &path)>;

    explicit AdmissionCheck(ErrorSink &sink);

    AdmissionResult check(const QStringList &paths, std::stop_token stop = {},
                          const Progress &progress = {});

    void setParallelConversions(int count) { m_parallel = count; }
    // How many conversions the last check started (the rest came from remembered verdicts).
    int conversionsLastCheck() const { return m_conversions; }

private:
    struct Verdict {
        qint64 size = -1;
        QDateTime modified;
        bool rejected = false;
    };

    struct Probe {
        int index = 0;
        QString outputPath;
        std::future<int> conversion;
    };

    const Verdict *rememberedVerdict(const QString &path) const;
    void judge(std::deque<Probe> &inFlight, const QStringList &paths,
               std::vector<std::optional<bool>> &rejected, const Progress &progress);

    ErrorSink &m_sink;
    QHash<QString, Verdict> m_verdicts;
    int m_parallel = 0;
    int m_conversions = 0;
};

} // namespace orvanta
