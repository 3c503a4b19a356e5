#pragma once

// Phrase occurrences written out so that they can be counted apart from the text, a part at a
// time, on this machine or on others.

#include "phrases/SpillFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace orvanta::detail {

// The words from one position of a line to the longest length counted or the line's end, and the
// file they are in. Every phrase that starts at the position is a beginning of the record, so the
// occurrences of a phrase are the records that begin with it: records split by their first words
// keep each phrase's occurrences together. On file: the file's id, the number of words, the word
// ids, each a native 32-bit number.
struct OccurrenceRecord {
    std::uint32_t file = 0;
    std::uint32_t size = 0;      // words
    const char *words = nullptr; // `size` word ids

    std::uint32_t word(std::size_t index) const
    {
        std::uint32_t id;
        std::memcpy(&id, words + index * sizeof id, sizeof id);
        return id;
    }
    std::uint64_t bytes() const { return recordBytes(size); }
    static std::uint64_t recordBytes(std::uint64_t words) { return (2 + words) * 4; }
};

inline void appendRecord(SpillFile &to, std::uint32_t file, std::span<const std::uint32_t> words)
{
    const std::uint32_t header[2] = {file, std::uint32_t(words.size())};
    to.append(header, sizeof header);
    to.append(words.data(), words.size_bytes());
}

inline void appendRecord(SpillFile &to, const OccurrenceRecord &record)
{
    const std::uint32_t header[2] = {record.file, record.size};
    to.append(header, sizeof header);
    to.append(record.words, record.size * sizeof(std::uint32_t));
}

// Reads the records of a written spill file in order.
class RecordReader {
public:
    RecordReader(const SpillFile &file, std::size_t bufferBytes)
        : m_reader(file, bufferBytes)
    {
    }

    // False at the end or when a read failed (see status()).
    bool next(OccurrenceRecord &record)
    {
        const char *header = m_reader.take(2 * sizeof(std::uint32_t));
        if (!header)
            return false;
        std::memcpy(&record.file, header, sizeof record.file);
        std::memcpy(&record.size, header + sizeof record.file, sizeof record.size);
        record.words = m_reader.take(record.size * sizeof(std::uint32_t));
        return record.words != nullptr;
    }
    Status status() const { return m_reader.status(); }

private:
    SpillReader m_reader;
};

// Cuts a line of word ids into records of at most `longest` words. Records of fewer than
// `shortest` words are left out: they hold no phrase of a length counted, and the beginnings of a
// longer window repeat already among the records that can hold it.
template <typename OnRecord>
void forEachRecord(std::span<const std::uint32_t> line, std::size_t shortest, std::size_t longest,
                   OnRecord onRecord)
{
    for (std::size_t start = 0; start < line.size(); ++start) {
        const std::size_t words = std::min(line.size() - start, longest);
        if (words < shortest)
            break; // later starts have fewer words still
        onRecord(line.subspan(start, words));
    }
}

// The first split of the records: by a hash of the text of their first word, so that every
// process that counts with the same number of partitions puts a record in the same one.
std::uint32_t partitionOfWord(std::string_view lowerWord, std::uint32_t partitions);
// Which of `shares` processes counts the phrases that begin with the word: from the hash's low
// bits, so that the partitions within each process stay even.
std::uint32_t shareOfWord(std::string_view lowerWord, std::uint32_t shares);

} // namespace orvanta::detail
