#pragma once

#include <QSize>
#include <QString>

#include <cstdint>

namespace orvanta {

// What a finished run counted, for the line beside the results.
struct RunSummary {
    std::uint64_t files = 0;
    std::uint64_t words = 0;
    std::uint64_t phrases = 0; // listed now: rows removed since are not
    std::int64_t milliseconds = 0;
};

// "12 files counted, 345,678 words, 1,234 phrases listed in 3.2 s".
QString runSummaryText(const RunSummary &summary);

// The main window's size at its first start on a screen with `available` room: about two thirds
// of the screen's height (the lists take what is above the designed height), never below the
// designed size unless the screen is smaller still.
QSize firstStartSize(QSize designed, QSize available);

} // namespace orvanta
