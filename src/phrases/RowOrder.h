#pragma once

#include <QtGlobal>

#include <string_view>

namespace orvanta {

enum class RowOrder { Frequency, Phrase, Words, Files };

// Which results are shown and in what order. Rows are kept when they reach both minimums, put
// in ascending order of the key (ties keep the results' own order: frequency, then phrase),
// reversed when asked, and cut to the first `top` when that is not negative.
struct RowSelection {
    int minimumFrequency = 2;
    int minimumFiles = 1;
    RowOrder order = RowOrder::Frequency;
    bool reverse = false;
    qsizetype top = -1;
};

// One result row, its phrase in UTF-8.
struct RowView {
    std::string_view phrase;
    int wordCount = 0;
    int frequency = 0;
    int files = 0;
};

// Whether the selection keeps the row.
bool reachesMinimums(const RowView &row, const RowSelection &selection);

// Whether `a` comes before `b` in the selection's order. Phrases are distinct, so every two rows
// of one count are ordered one way or the other; they compare by code point (UTF-8 byte order).
bool comesBefore(const RowView &a, const RowView &b, const RowSelection &selection);

} // namespace orvanta
