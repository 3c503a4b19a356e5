#pragma once

#include "phrases/PhraseResults.h"
#include "phrases/RepeatedPassages.h"
#include "phrases/WordTable.h"

#include <QByteArrayView>

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace orvanta {

// The phrase counts of one run. Lines are split into words at spaces, tabs and CRs; a phrase is
// n consecutive words of one line, lower-cased and joined by single spaces. Counts merge across
// all lines of all files.
class PhraseTable {
public:
    // `lengths` are the phrase lengths to report; lengths below 1 and repeats are ignored.
    explicit PhraseTable(const std::vector<int> &lengths);

    // The lines counted from here on belong to the next file; rows say in how many files their
    // phrase occurs. Without a call every line belongs to one file.
    void beginDocument();
    void countLine(QByteArrayView utf8Line);

    // Every phrase of a requested length that occurred at least twice, in no particular order.
    // Returns what it has found so far when a stop is requested.
    PhraseResults extractRepeatedPhrases(std::stop_token stop = {}) const;

    std::size_t wordCount() const { return m_ids.size() - m_lineBreaks; }

    // Word positions count every counted word and one line break after each line: the next
    // counted word takes this position.
    std::uint32_t nextPosition() const { return std::uint32_t(m_ids.size()); }
    // Repeated passages of at least `minimumWords` words over everything counted so far (see
    // findRepeatedPassages); their starts are word positions. None cross a line or a file.
    PassageList findPassages(std::uint32_t minimumWords, std::stop_token stop = {}) const;
    // The `length` words from `position` as a phrase: lower-case, joined by single spaces.
    std::string phraseAt(std::uint32_t position, std::uint32_t length) const;
    // The file a word position belongs to, counted from 0 by beginDocument calls.
    std::size_t documentAt(std::uint32_t position) const;

private:
    void closeLine();

    std::vector<int> m_lengths;
    detail::WordTable m_words;
    // Lower-case word ids of every line in order, each line closed by kLineBreak.
    detail::LargeArray<std::uint32_t> m_ids;
    std::vector<std::uint32_t> m_documentStarts; // the first position of each file in m_ids
    std::size_t m_lineBreaks = 0;
};

} // namespace orvanta
