#pragma once

#include "base/Result.h"
#include "extract/TextReader.h"

#include <QByteArrayView>
#include <QStringList>

#include <functional>
#include <span>

namespace orvanta {

// How a text is turned into the lines the engine counts. Everything off keeps the lines as the
// converter wrote them: a phrase never crosses a line, and a word is whatever stands between
// spaces.
struct TextOptions {
    bool joinWrappedLines = false;       // a phrase may cross a line break inside a paragraph
    bool rejoinHyphenatedWords = false;  // "exam-" + "ple" at a line end is "example"
    bool dropRunningHeads = false;       // page heads, feet and numbers repeated on many pages
    bool ignorePunctuation = false;      // "license." is "license"
    bool normaliseCompatibility = false; // ligatures, full-width forms, non-breaking spaces
    bool wordsNeedLetters = false;       // ". . ." or "--" is no word, and a phrase never spans it

    bool any() const { return reassemblesLines() || wordsNeedLetters; }
    // True when an option other than wordsNeedLetters is on: the lines are built anew.
    bool reassemblesLines() const
    {
        return joinWrappedLines || rejoinHyphenatedWords || dropRunningHeads || ignorePunctuation ||
               normaliseCompatibility;
    }
    // The options that are on, in words, for the status line and the terminal.
    QStringList namesOfThoseOn() const;
    bool operator==(const TextOptions &) const = default;
};

// Where one counted word came from.
struct WordPlace {
    LinePlace place;
};

// One line as the engine counts it: valid UTF-8 words separated by spaces, tabs or CRs, and,
// when asked for, where each of its words stands in the text. A line cut from a longer one
// (at words without a letter or digit) has that line as `whole`, for showing it in context.
struct CountedLine {
    QByteArrayView text;
    std::span<const WordPlace> words;
    QByteArrayView whole = {}; // null when `text` is the whole line
};

using CountedLineSink = std::function<void(const CountedLine &line)>;
// Reads a whole text from its start, handing every line to the sink.
using TextSource = std::function<Status(const LineSink &sink)>;

// Turns a text into the lines the engine counts, by the options. `read` may be called twice:
// running heads and hyphenated words need the whole text before the first line is counted. Word
// places are given when `withPlaces` is set: one per word of the counted line, the line the word
// stands on (for a rejoined word, the line of its first half).
Status readCountedLines(const TextOptions &options, const TextSource &read,
                        const CountedLineSink &sink, bool withPlaces = false);

} // namespace orvanta
