#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stop_token>

namespace orvanta {

class TextStore;

struct AdmissionResult {
    QStringList rejected;     // in list order, repeats included
    QString notice;           // empty when nothing was rejected
    QString converterProblem; // set when the converter or the temporary folder cannot be used
    int scannedFiles = 0;     // files whose pages are images only: text recognition reads them
    bool cancelled = false;
};

// The notice that names the PDFs that yield no readable text.
QString admissionNotice(const QStringList &rejected);

// Converts every listed PDF (no password) into the text store and rejects those whose text is
// under 10 bytes: scanned, password-protected or damaged files. What the store already holds is
// judged without converting again, so adding one PDF converts one PDF.
class AdmissionCheck {
public:
    using Progress = std::function<void(int done, int total, const QString &path)>;

    explicit AdmissionCheck(TextStore &store);

    AdmissionResult check(const QStringList &paths, std::stop_token stop = {},
                          const Progress &progress = {});

private:
    TextStore &m_store;
};

} // namespace orvanta
