#pragma once

#include "phrases/LargeArray.h"
#include "phrases/PerFileCounts.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta {

// One repeated phrase: lower-case words joined by single spaces.
struct PhraseRow {
    QString phrase;
    int wordCount = 0;
    int frequency = 0;

    // What the results list shows: the phrase with one leading space.
    QString displayPhrase() const { return QLatin1Char(' ') + phrase; }
    bool operator==(const PhraseRow &) const = default;
};

// The repeated phrases of a run, kept compactly: one text buffer and a small entry per row.
class PhraseResults {
public:
    qsizetype size() const { return qsizetype(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }

    void append(std::string_view phrase, int wordCount, int frequency, int files = 1);
    // Makes room for the per-file counts of the rows appended next: row i of them occurs in
    // files[i] files. Gives the counts, row after row, to be filled in. Either every row gets
    // its counts or none does.
    std::span<FileCount> appendFileCounts(std::span<const std::uint32_t> files)
    {
        return m_fileCounts.addRows(files);
    }
    // Appends every row of `more`, in its order.
    void append(const PhraseResults &more);

    std::string_view phraseUtf8(qsizetype index) const;
    int wordCount(qsizetype index) const { return int(m_rows[size_t(index)].wordCount); }
    int frequency(qsizetype index) const { return int(m_rows[size_t(index)].frequency); }
    // In how many of the counted files the phrase occurs.
    int files(qsizetype index) const { return int(m_rows[size_t(index)].files); }
    PhraseRow row(qsizetype index) const;
    // True when the rows carry their frequency in each file.
    bool hasFileCounts() const { return !m_rows.empty() && m_fileCounts.rows() == m_rows.size(); }
    // The files the phrase occurs in and its frequency in each, in file order; empty without
    // per-file counts.
    std::span<const FileCount> fileCounts(qsizetype index) const;

    // Room for `rows` rows of `textBytes` bytes of phrases in all, so that appending them copies
    // nothing.
    void reserve(std::size_t rows, std::size_t textBytes);
    // The bytes the rows, their text and their per-file counts have taken.
    std::uint64_t bytesHeld() const;

    // Ascending frequency, then ascending phrase by code point: the order the list shows.
    void sortForDisplay();
    // The row indices in that order, leaving the rows where they are.
    detail::LargeArray<std::uint32_t> displayOrder() const;

private:
    detail::LargeText textInRowOrder();

    struct Entry {
        std::uint64_t offset;
        std::uint32_t length;
        std::uint32_t wordCount;
        std::uint32_t frequency;
        std::uint32_t files;
    };
    detail::LargeText m_text;
    detail::LargeArray<Entry> m_rows;
    PerFileCounts m_fileCounts; // empty unless the rows were appended with them
};

} // namespace orvanta
