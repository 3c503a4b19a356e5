#pragma once

#include "documents/CountedText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>

#include <string>
#include <vector>

namespace orvanta {

// The hyphenated words a text shows away from line ends ("well-known"), lower-cased and
// without outer punctuation: a word split at a line end keeps its hyphen when it is one.
class HyphenatedWords {
public:
    // `normalise`: the line is taken in compatibility form, as the assembler will see it.
    void addLine(QByteArrayView utf8Line, bool normalise);
    bool contains(const QByteArray &lowerCaseWord) const { return m_words.contains(lowerCaseWord); }

private:
    QSet<QByteArray> m_words;
};

// Builds the lines the engine counts from the kept lines of one text, by the options: in
// compatibility form, hyphenated words rejoined, outer punctuation left out, and the lines of a
// paragraph joined.
class LineAssembler {
public:
    LineAssembler(const TextOptions &options, const HyphenatedWords &hyphenated,
                  const CountedLineSink &sink, bool withPlaces);

    void addLine(QByteArrayView utf8Line, LinePlace place);
    // Hands over what is still held. Call once, after the last line.
    void finish();

private:
    void hold(QByteArrayView line, LinePlace place);
    void joinHeldWith(QByteArrayView continuation);
    void releaseHeld();
    void startLine(LinePlace place, bool blank);
    void appendWords(QByteArrayView text, LinePlace place);
    void appendText(QByteArrayView text, LinePlace place);
    void endLine();
    void endParagraph();
    void handOver();

    const TextOptions m_options;
    const HyphenatedWords &m_hyphenated;
    const CountedLineSink &m_sink;
    const bool m_withPlaces;

    QByteArray m_normalised;

    // A line whose last word ends with a hyphen, held until the next line with words shows
    // whether that word goes on there.
    bool m_holding = false;
    QByteArray m_heldText; // the line without its last word
    QByteArray m_heldLastWord;
    LinePlace m_heldPlace;
    int m_blankLinesWaiting = 0; // blank lines seen while holding

    // The line or paragraph being built.
    std::string m_text;
    std::vector<WordPlace> m_places;
    int m_lastPage = 0;
};

} // namespace orvanta
