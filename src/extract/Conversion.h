#pragma once

#include <QString>

#include <future>
#include <stop_token>

namespace orvanta {

// Starts converting one PDF into a text file on a thread of its own. A non-empty password is
// given as both owner and open password. The future holds the converter's exit code; a stop
// request ends the converter.
std::future<int> startConversion(const QString &pdfPath, const QString &outputPath,
                                 const QString &password, std::stop_token stop);

// How many conversions run at once by default: one per processor core.
int defaultParallelConversions();

} // namespace orvanta
