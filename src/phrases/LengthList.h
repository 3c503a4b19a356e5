#pragma once

#include "base/Result.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace orvanta {

// The longest phrase length that can be asked for.
inline constexpr int kLongestPhraseLength = 32767;

// Lengths 2 to 19 are chosen one by one; any others are typed.
inline constexpr int kListedLengthCount = 18;
using ChosenLengths = std::array<bool, kListedLengthCount>; // [0]: 2 words

// The lengths of one run: the chosen ones in ascending order, then the numbers and ranges
// ("2-5", as the command line takes them) typed, separated by commas, else by blanks, in typed
// order. Neither sorted nor deduplicated.
std::vector<int> buildLengthList(const ChosenLengths &chosen, const QString &typed);

// The typed entries that give no phrase length (of at least 1): what buildLengthList leaves out.
QStringList unreadLengthEntries(const QString &typed);

// The lengths of the command line: numbers and ranges ("4", "2-5", "2-5,8", "2 5 6"), each at
// least 1 and at most kLongestPhraseLength, separated by commas or blanks. Anything else fails
// with a message naming the entry (and the longest length, when one is too long).
Result<std::vector<int>> parseLengthRanges(const QString &text);

// The lengths the engine counts: each length of at least 1 once, in first-seen order.
std::vector<int> distinctCountableLengths(const std::vector<int> &lengths);

} // namespace orvanta
