#pragma once

#include "base/Result.h"

#include <QString>

#include <array>
#include <vector>

namespace orvanta {

inline constexpr int kLengthBoxCount = 18; // boxes for 2 to 19 words
using LengthBoxes = std::array<bool, kLengthBoxCount>;

// The lengths of one run: ticked boxes in index order, then the numbers typed in the "More:"
// box in typed order. Neither sorted nor deduplicated.
std::vector<int> buildLengthList(const LengthBoxes &ticked, const QString &typed);

// The lengths of the command line: numbers and ranges ("4", "2-5", "2-5,8", "2 5 6"), each at
// least 1, separated by commas or blanks. Anything else fails with a message naming the entry.
Result<std::vector<int>> parseLengthRanges(const QString &text);

// The lengths the engine counts: each length of at least 1 once, in first-seen order.
std::vector<int> distinctCountableLengths(const std::vector<int> &lengths);

} // namespace orvanta
