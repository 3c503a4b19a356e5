#pragma once

#include "base/Result.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>
#include <stop_token>

namespace orvanta {

inline constexpr auto kConverterMissing =
    "The PDF converter pdftotext is not installed. Install the package poppler-utils (sudo "
    "apt-get install poppler-utils).";

// How the conversion of one PDF ended.
enum class ConversionOutcome {
    Converted,     // the whole text arrived
    NeedsPassword, // encrypted and not opened, or text extraction not permitted
    Damaged,       // not a PDF, empty, or a PDF the converter cannot parse
    Stopped,       // the converter crashed or could not be started
    Cancelled,     // a stop was requested, or the text could not be taken in
};

// The outcome the converter's exit code and the start of its error output stand for.
ConversionOutcome judgeConversion(int exitCode, QByteArrayView errorHead);

class ConvertWorkerPool;

// What turns a PDF into text: the conversion workers (orvanta-convert, which give pdftotext's
// very text without a process start per file) when they are installed, otherwise pdftotext as
// the package manager installed it, run from where it is and never copied. Copies share their
// workers.
class Converter {
public:
    // The workers, or pdftotext found on PATH, or the message that neither is there. With
    // $ORVANTA_CONVERTER set to "pdftotext" the workers are not used.
    static Result<Converter> locate();
    explicit Converter(QString program, std::shared_ptr<ConvertWorkerPool> workers = {});

    // The program each conversion runs: pdftotext, or the workers' program.
    const QString &program() const { return m_program; }

    // Converts one PDF and hands its text (UTF-8, each page ended by a form feed) to `onText`
    // as it arrives through a pipe. A non-empty password is given as both owner and open
    // password. When `onText` returns false the converter is stopped.
    ConversionOutcome convert(const QString &pdfPath, const QString &password,
                              const std::function<bool(QByteArrayView)> &onText,
                              std::stop_token stop) const;

private:
    QString m_program;
    std::shared_ptr<ConvertWorkerPool> m_workers;
};

} // namespace orvanta
