#pragma once

#include "base/Result.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
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

// pdftotext as the package manager installed it; it is run from where it is and never copied.
class Converter {
public:
    // The converter found on PATH, or the message that it is missing.
    static Result<Converter> locate();
    explicit Converter(QString program)
        : m_program(std::move(program))
    {
    }

    const QString &program() const { return m_program; }

    // Converts one PDF and hands its text (UTF-8, each page ended by a form feed) to `onText`
    // as it arrives through a pipe. A non-empty password is given as both owner and open
    // password. When `onText` returns false the converter is stopped.
    ConversionOutcome convert(const QString &pdfPath, const QString &password,
                              const std::function<bool(QByteArrayView)> &onText,
                              std::stop_token stop) const;

private:
    QString m_program;
};

} // namespace orvanta
