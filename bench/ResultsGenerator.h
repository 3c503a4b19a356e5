#pragma once

// A results list as a counting run would hand it over, for the window benchmarks: distinct
// phrases of three words (four beyond a million rows) in display order, with made-up
// frequencies and file counts.

#include "phrases/PhraseResults.h"

#include <array>
#include <string>

namespace orvanta::bench {

inline PhraseResults makeResults(int rowCount)
{
    static const std::array<const char *, 100> words = {
        "able", "acid", "aged", "also", "area", "army", "away", "baby", "back", "ball",
        "band", "bank", "base", "bath", "bear", "beat", "been", "beer", "bell", "belt",
        "best", "bill", "bird", "blow", "blue", "boat", "body", "bomb", "bond", "bone",
        "book", "boom", "born", "boss", "both", "bowl", "bulk", "burn", "bush", "busy",
        "call", "calm", "came", "camp", "card", "care", "case", "cash", "cast", "cell",
        "chat", "chip", "city", "club", "coal", "coat", "code", "cold", "come", "cook",
        "cool", "cope", "copy", "core", "cost", "crew", "crop", "dark", "data", "date",
        "dawn", "days", "dead", "deal", "dean", "dear", "debt", "deep", "deny", "desk",
        "dial", "diet", "disc", "disk", "does", "done", "door", "dose", "down", "draw",
        "drew", "drop", "drug", "dual", "duke", "dust", "duty", "each", "earn", "ease"};
    PhraseResults results;
    std::string phrase;
    for (int i = 0; i < rowCount; ++i) {
        phrase.assign(words[size_t(i % 100)]);
        phrase.append(" ").append(words[size_t(i / 100 % 100)]);
        phrase.append(" ").append(words[size_t(i / 10000 % 100)]);
        const bool fourWords = i >= 1'000'000;
        if (fourWords)
            phrase.append(" ").append(words[size_t(i / 1'000'000 % 100)]);
        const unsigned mixed = unsigned(i) * 7919u;
        results.append(phrase, fourWords ? 4 : 3, 2 + int(mixed % 5000u),
                       1 + int(mixed / 5000u % 40u));
    }
    results.sortForDisplay();
    return results;
}

} // namespace orvanta::bench
