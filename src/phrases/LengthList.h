#pragma once

#include <QString>

#include <array>
#include <vector>

namespace orvanta {

inline constexpr int kLengthBoxCount = 18; // boxes for 2 to 19 words
using LengthBoxes = std::array<bool, kLengthBoxCount>;

// The lengths of one run: ticked boxes in index order, then the numbers typed in the "More:"
// box in typed order. Neither sorted nor deduplicated.
std::vector<int> buildLengthList(const LengthBoxes &ticked, const QString &typed);

// The lengths the engine counts: each length of at least 1 once, in first-seen order.
std::vector<int> distinctCountableLengths(const std::vector<int> &lengths);

} // namespace orvanta
