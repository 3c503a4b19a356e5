#pragma once

#include "phrases/CorpusMeasures.h"
#include "phrases/FlatTables.h"
#include "phrases/PhrasePositions.h"
#include "phrases/PhraseResults.h"
#include "phrases/RepeatedPassages.h"
#include "phrases/WordTable.h"

#include <QByteArrayView>

#include <cstdint>
#include <functional>
#include <span>
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

    // With per-file counts on, the rows carry their phrase's frequency in each file (off by
    // default: it costs time and memory).
    void setCountsPerFile(bool on) { m_countsPerFile = on; }

    // For measuring memory: called after each step of extractRepeatedPhrases ("level 2" and so
    // on) with the bytes held by that length's arrays and by the results so far.
    using StepObserver = std::function<void(std::string_view step, std::uint64_t levelBytes,
                                            std::uint64_t resultBytes)>;
    void observeSteps(StepObserver observer) { m_observer = std::move(observer); }
    // The bytes held by the word table and the word ids.
    std::uint64_t bytesHeld() const;

    // The lines counted from here on belong to the next file; rows say in how many files their
    // phrase occurs. Without a call every line belongs to one file.
    void beginDocument();
    void countLine(QByteArrayView utf8Line);
    // Frees what only reading needs, when the last line has been counted (lines counted after
    // it count the same, a little slower).
    void finishReading() { m_words.forgetRawWords(); }

    // Every phrase of a requested length that occurred at least twice, in no particular order.
    // Returns what it has found so far when a stop is requested.
    PhraseResults extractRepeatedPhrases(std::stop_token stop = {}) const;

    std::size_t wordCount() const { return m_ids.size() - m_lineBreaks; }
    // Files (beginDocument calls; one when words came without any), words, distinct words and
    // the words of each file.
    CorpusSize corpusSize() const;
    // Where a phrase (lower-case words joined by single spaces) occurs, in file order, then text
    // order. Given the phrase's per-file counts, only those files are searched.
    std::vector<PhrasePosition> positionsOf(std::string_view phrase,
                                            std::span<const FileCount> files = {}) const;

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
    // The lower-case word ids of everything counted, in positions, and the first position of
    // each file: what passages and the overlap of documents are found in.
    std::span<const std::uint32_t> wordIds() const { return m_ids; }
    const std::vector<std::uint32_t> &documentStarts() const { return m_documentStarts; }

private:
    void closeLine();
    detail::CountedWords countedWords() const;

    std::vector<int> m_lengths;
    detail::WordTable m_words;
    // Lower-case word ids of every line in order, each line closed by kLineBreak.
    detail::LargeArray<std::uint32_t> m_ids;
    std::vector<std::uint32_t> m_documentStarts;   // the first position of each file in m_ids
    std::vector<std::uint64_t> m_lineBreaksBefore; // the line breaks before each file's start
    std::size_t m_lineBreaks = 0;
    bool m_countsPerFile = false;
    StepObserver m_observer;
};

} // namespace orvanta
