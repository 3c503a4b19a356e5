#pragma once

#include "base/Result.h"
#include "documents/CountedSource.h"
#include "documents/CountedText.h"
#include "documents/TextStore.h"

#include <QString>
#include <QStringList>

#include <cstdint>

#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

namespace orvanta {

// One place where a phrase occurs.
struct Occurrence {
    int source = 0;   // index into the sources searched
    int page = 1;     // of its first word, from 1
    int line = 1;     // of its first word within the page, from 1
    int lastPage = 1; // of its last word: a phrase may cross a line or page break
    int lastLine = 1;
    QString before; // the counted line before the phrase, cut to a few words
    QString phrase; // the words as they stand in the text
    QString after;
    QString text;            // the whole counted line: the line as converted, or its paragraph
    bool recognised = false; // on a page read by text recognition: its words may be wrong
    std::uint64_t word = 0;  // the counted words of its file before its first word
    bool operator==(const Occurrence &) const = default;
};

struct Occurrences {
    std::vector<Occurrence> found; // in list order, then text order
    QStringList unavailable;       // listed files whose text is no longer at hand
};

// Finds every occurrence of a result's phrase (lower-case words joined by single spaces) in
// the texts a run counted, by the same rules: the same lines, words and lower-casing. Texts
// come from the store; one it has dropped is converted again when no password opened it.
class OccurrenceFinder {
public:
    OccurrenceFinder(TextStore &store, TextOptions options);

    Occurrences find(const std::vector<CountedSource> &sources, const QString &phrase,
                     std::stop_token stop = {}) const;

    // Reads the counted lines of every source in order, with their word places, as find() does:
    // `beginSource` is called for each source before its lines, with the pages that text
    // recognition read, even for a source that cannot be read. Gives the paths of the sources
    // whose text is no longer at hand.
    using SourceStart = std::function<void(int source, const std::vector<int> &recognisedPages)>;
    QStringList readCountedTexts(const std::vector<CountedSource> &sources,
                                 const SourceStart &beginSource, const CountedLineSink &sink,
                                 std::stop_token stop = {}) const;

private:
    std::optional<StoredTextHandle> storedText(const CountedSource &source,
                                               std::optional<Converter> &converter,
                                               std::stop_token stop) const;

    TextStore &m_store;
    TextOptions m_options;
};

} // namespace orvanta
