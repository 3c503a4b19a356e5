#pragma once

// Level-wise discovery of repeated word windows, used by PhraseTable.

#include "phrases/LargeArray.h"

#include <cstdint>
#include <span>

namespace orvanta::detail {

inline constexpr std::uint32_t kLineBreak = ~std::uint32_t(0);
inline constexpr std::uint32_t kNoClass = ~std::uint32_t(0);
// In a level's classes: a word inside a window that is counted only from its start (see
// PartitionCounter). A window grows past it while the next word is on the same line.
inline constexpr std::uint32_t kInsideWindow = kNoClass - 1;

// The windows of one length that occur at least twice. Each distinct window is a class.
struct Level {
    LargeArray<std::uint32_t> positions;   // ascending starts of repeated windows
    LargeArray<std::uint32_t> classes;     // by position; kNoClass where no repeated window starts
    LargeArray<std::uint32_t> frequencies; // by class
    LargeArray<std::uint32_t> firstSeen;   // by class: the first position of that window
};

inline std::uint64_t bytesOf(const Level &level)
{
    return bytesOf(level.positions) + bytesOf(level.classes) + bytesOf(level.frequencies) +
           bytesOf(level.firstSeen);
}

// Single words that occur at least twice. `ids` holds word ids, each line closed by kLineBreak.
Level firstLevel(std::span<const std::uint32_t> ids, std::size_t distinctWords);

// Moves the level from windows of `length` words to windows of `length + 1`. A window grows when
// it and the window of `length` words after its start repeated, or that next start is
// kInsideWindow, and its line goes on.
void advanceLevel(Level &level, std::span<const std::uint32_t> ids, int length);

} // namespace orvanta::detail
