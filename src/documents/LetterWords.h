#pragma once

// Words that need a letter or digit. A letter is a code point of Unicode's letter categories
// (Lu, Ll, Lt, Lm, Lo) and a digit one of its number categories (Nd, Nl, No), as Qt's tables
// have them (QChar::isLetterOrNumber): "x²", "§3", "½", "Ⅻ", "l'été" and "北京" are words,
// while ". . .", "--", "|", "•", "©", "→" and "+/-" are not.

#include "documents/CountedText.h"

#include <QByteArrayView>

namespace orvanta {

// True when the word (valid UTF-8) holds a letter or a digit.
bool holdsLetterOrDigit(QByteArrayView word);

// True when the word (valid UTF-8) holds a letter; "1.2.3" and "12" hold none.
bool holdsLetter(QByteArrayView word);

// Hands the line to `sink` cut at its words without a letter or digit, as a line end cuts:
// each run of words with one is a line of its own, with its words' places, and the line it was
// cut from as `whole`. A line without such a word goes through unchanged.
void forEachRunOfLetterWords(const CountedLine &line, const CountedLineSink &sink);

// The share of the words of `text` (words parted by spaces, tabs or CRs) that hold a letter,
// from 0 to 1; 0 for a text without words.
double letterWordShare(QByteArrayView text);

} // namespace orvanta
