#pragma once

// Which of a run's files share text with which, on the texts the run counted: read once, then
// compared for any stretch length and boilerplate share without reading them again.

#include "phrases/DocumentOverlap.h"
#include "phrases/PhraseTable.h"
#include "run/OccurrenceFinder.h"
#include "run/PassageSearch.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

namespace orvanta {

// One stretch of a file that the other file of a pair also has, overlapping and touching
// stretches merged: it stays inside one counted line, so never crosses a page.
struct SharedStretch {
    int words = 0;
    PassagePlace first; // source, page and line of its first word
    LinePlace last;     // page and line of its last word
    // Where it stands in the side's lines, [begin, end) in characters of line `textLine`; -1
    // when the file's text could not be read again.
    int textLine = -1;
    qsizetype begin = 0;
    qsizetype end = 0;
    // Its words as they stand; lower-case, as the counting compares them, when the text could
    // not be read again.
    QString text;
    // How many earlier places of its page hold the same words: the one to mark on the page, as
    // "Where it occurs" numbers them.
    int placeOnPage = 0;
    bool operator==(const SharedStretch &) const = default;
};

// One file of a pair, as the counting read it.
struct PairSide {
    int source = 0;
    QStringList lines;                    // its counted lines, tabs shown as spaces
    std::vector<LinePlace> linePlaces;    // where each of them starts
    std::vector<SharedStretch> stretches; // in text order
};

struct PairReading {
    PairSide first;
    PairSide second;
    QStringList unavailable; // files of the pair whose text could not be read as it was counted
};

// The counted texts of a run's sources and their equal stretches. Its const functions may run
// at the same time on several threads.
class OverlapTexts {
public:
    // Reads every source by the rules `texts` reads them with (the same lines, words and
    // lower-casing as the counting) and indexes the words. Null when a stop is requested.
    static std::shared_ptr<const OverlapTexts> read(const OccurrenceFinder &texts,
                                                    std::vector<CountedSource> sources,
                                                    std::stop_token stop = {});

    OverlapTexts(const OverlapTexts &) = delete;
    OverlapTexts &operator=(const OverlapTexts &) = delete;

    const std::vector<CountedSource> &sources() const { return m_sources; }
    // Sources whose text was no longer at hand: they have no words.
    const QStringList &unavailable() const { return m_unavailable; }
    // The words of a source as counted.
    std::uint32_t wordsOf(int source) const { return m_index->wordsOf(std::size_t(source)); }

    // The ranked pairs of sources; the file numbers of its pairs are indexes into sources().
    // Reads nothing. Empty when a stop is requested.
    DocumentOverlap compare(const OverlapSettings &settings, std::stop_token stop = {}) const;

    // Sources `first` and `second` side by side, with the stretches each shares with the other
    // in `overlap` (which compare() gave). Reads the two texts again.
    PairReading readPair(const DocumentOverlap &overlap, int first, int second,
                         std::stop_token stop = {}) const;

private:
    OverlapTexts(const OccurrenceFinder &texts, std::vector<CountedSource> sources);

    SharedStretch stretchAt(WordRange range) const;
    int placeOnPage(WordRange range, int page) const;

    OccurrenceFinder m_texts;
    std::vector<CountedSource> m_sources;
    PhraseTable m_table{{}};
    PassageCollector m_collector{m_table};
    std::optional<OverlapIndex> m_index;
    QStringList m_unavailable;
};

} // namespace orvanta
