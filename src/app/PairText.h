#pragma once

// One file of a pair as the side-by-side view shows it, without widgets: its counted lines as
// one text, where each shared stretch stands in it, and which stretch is current.

#include "run/OverlapSearch.h"

#include <QString>

#include <vector>

namespace orvanta {

// Characters [start, start + length) of a side's text.
struct TextSpan {
    int start = 0;
    int length = 0;
    bool operator==(const TextSpan &) const = default;
};

// The parts of `spans` (ordered by start, not overlapping) that lie in characters [begin, end),
// counted from `begin`: what to mark in one paragraph of a text.
std::vector<TextSpan> spansWithin(const std::vector<TextSpan> &spans, int begin, int end);

class PairSideText {
public:
    // A side whose text could not be read again shows its stretches' words, one a paragraph.
    explicit PairSideText(const PairSide &side);

    const QString &text() const { return m_text; }
    // Where each of the side's stretches stands, in text order (which is the order of their
    // starts).
    const std::vector<TextSpan> &spans() const { return m_spans; }
    int stretchCount() const { return int(m_stretches.size()); }
    // "Stretch 2 of 15, 9 words: page 4, line 12" (and "to page 5, line 1" when it ends
    // elsewhere); "No shared stretch" for a side without any.
    QString placeText(int stretch) const;
    const SharedStretch &stretch(int index) const { return m_stretches[std::size_t(index)]; }

private:
    QString m_text;
    std::vector<TextSpan> m_spans;
    std::vector<SharedStretch> m_stretches;
};

// The current one of `count` stretches: none at first, then stepping forward or back and going
// round at either end, as "find next" does.
class StretchCursor {
public:
    explicit StretchCursor(int count = 0)
        : m_count(count)
    {
    }

    int current() const { return m_current; }
    int next();
    int previous();

private:
    int m_count;
    int m_current = -1;
};

} // namespace orvanta
