#pragma once

// Repeated passages of a counting run: the longest stretches of words that occur at least twice,
// without their fragments, and where each occurrence stands.

#include "documents/CountedSource.h"
#include "documents/CountedText.h"
#include "extract/TextReader.h"
#include "phrases/PhraseResults.h"

#include <QStringList>
#include <QtGlobal>

#include <cstdint>
#include <span>
#include <stop_token>
#include <vector>

namespace orvanta {

// The longest least length of a passage that can be asked for.
inline constexpr int kMostPassageWords = 100000;

class OccurrenceFinder;
class PhraseTable;

// Where one occurrence of a passage starts.
struct PassagePlace {
    int source = 0; // index into the run's sources
    int page = 1;
    int line = 1;
    bool operator==(const PassagePlace &) const = default;
};

// The passages of a run. Row r of `rows` holds the passage's words as the engine shows phrases
// (lower-case, joined by single spaces), its length in words, its frequency and its number of
// files; its occurrences are in text order.
struct RepeatedPassages {
    PhraseResults rows;
    std::vector<std::size_t> occurrenceBegin{0};
    std::vector<PassagePlace> places; // at most PassageBounds::listedOccurrences a passage
    // Passages left out to keep the list in bounds: those longer than `longestListed` words.
    std::size_t leftOut = 0;
    int longestListed = 0;

    std::span<const PassagePlace> occurrences(qsizetype row) const
    {
        const auto begin = occurrenceBegin[std::size_t(row)];
        return std::span(places).subspan(begin, occurrenceBegin[std::size_t(row) + 1] - begin);
    }
};

// The place of every counted word, kept as the positions where the place changes.
class WordPlaces {
public:
    // The word at `position` stands at `place` of file `source`; positions come in ascending
    // order.
    void add(std::uint32_t position, int source, LinePlace place);
    PassagePlace at(std::uint32_t position) const;

private:
    struct Change {
        std::uint32_t position;
        PassagePlace place;
    };
    std::vector<Change> m_changes;
};

// Counts lines into a phrase table while keeping where each word stands, to find the passages of
// everything counted.
class PassageCollector {
public:
    explicit PassageCollector(PhraseTable &table);

    // The lines counted from here on belong to the next source (the first is source 0).
    void beginSource();
    // Counts the line; its word places, when given, say where its passages start.
    void countLine(const CountedLine &line);
    // The passages of at least `minimumWords` words (at least 1). Empty when a stop is requested.
    RepeatedPassages find(int minimumWords, std::stop_token stop = {}) const;
    // Where each counted word stands, by its position in the table.
    const WordPlaces &places() const { return m_places; }

private:
    PhraseTable &m_table;
    WordPlaces m_places;
    int m_source = -1;
};

// What a list of passages says when the bounds left some out; empty when none were.
QString leftOutPassagesText(const RepeatedPassages &passages);

struct PassageSearch {
    RepeatedPassages passages;
    QStringList unavailable; // sources whose text is no longer at hand
};

// The passages of at least `minimumWords` words in the texts a run counted, read again by the
// rules `texts` reads them with. Empty when a stop is requested.
PassageSearch searchPassages(const OccurrenceFinder &texts,
                             const std::vector<CountedSource> &sources, int minimumWords,
                             std::stop_token stop = {});

} // namespace orvanta
