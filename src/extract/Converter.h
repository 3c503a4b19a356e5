#pragma once

#include "base/Result.h"

#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

namespace orvanta {

inline constexpr auto kConverterMissing =
    "The PDF converter pdftotext is not installed. Install the package poppler-utils (sudo "
    "apt-get install poppler-utils).";

// How the conversion of one PDF ended.
enum class ConversionOutcome {
    Converted,       // the whole text arrived
    NeedsPassword,   // encrypted and not opened, or text extraction not permitted
    Damaged,         // not a PDF, empty, a PDF the converter cannot parse, or a broken page tree
    Stopped,         // the converter crashed or could not be started
    Cancelled,       // a stop was requested, or the text could not be taken in
    TimedOut,        // the conversion took longer than its time limit
    OutOfMemory,     // the conversion needed more memory than its limit
    NoSafeConverter, // a password was given, but no converter that takes it safely is installed
};

// What one conversion may take before it is stopped and its file named.
struct ConversionLimits {
    static constexpr std::chrono::seconds kDefaultTime{120};
    static constexpr qint64 kDefaultMemory = qint64(2) << 30;
    // The least memory a conversion can start with: poppler and its fonts alone take this much.
    static constexpr qint64 kLeastMemory = qint64(64) << 20;

    std::chrono::milliseconds time = kDefaultTime;
    qint64 memoryBytes = kDefaultMemory;

    bool operator==(const ConversionLimits &) const = default;
};

// "120 seconds", "2 GiB": a limit as messages name it.
QString describeTimeLimit(std::chrono::milliseconds time);
QString describeMemoryLimit(qint64 bytes);

// How many conversions may run at once when `wanted` are asked for: no more than the open-file
// limit leaves descriptors for, counting those already open.
int conversionsTheDescriptorsAllow(int wanted);

// The outcome the converter's exit code and the start of its error output stand for.
ConversionOutcome judgeConversion(int exitCode, QByteArrayView errorHead);

class ConvertWorkerPool;

// What turns a PDF into text: the conversion workers (orvanta-convert, which give pdftotext's
// very text without a process start per file) when they are installed, otherwise pdftotext as
// the package manager installed it, run from where it is and never copied. A password goes to
// the workers only, through a pipe: on pdftotext's command line any local user could read it.
// Copies share their workers.
class Converter {
public:
    // The workers, or pdftotext found on PATH, or the message that neither is there. With
    // $ORVANTA_CONVERTER set to "pdftotext", pdftotext converts the PDFs opened without a
    // password.
    static Result<Converter> locate();
    Converter(QString program, std::shared_ptr<ConvertWorkerPool> workers, bool workersForAll);

    // The program each conversion without a password runs: pdftotext, or the workers' program.
    const QString &program() const { return m_program; }

    // Converts one PDF and hands its text (UTF-8, each page ended by a form feed) to `onText`
    // as it arrives through a pipe. A non-empty password is given as both owner and open
    // password. When `onText` returns false the converter is stopped; past a limit it is
    // stopped with the outcome TimedOut or OutOfMemory.
    ConversionOutcome convert(const QString &pdfPath, const QString &password,
                              const ConversionLimits &limits,
                              const std::function<bool(QByteArrayView)> &onText,
                              std::stop_token stop) const;

private:
    QString m_program;
    std::shared_ptr<ConvertWorkerPool> m_workers;
    bool m_workersForAll = false;
};

} // namespace orvanta
