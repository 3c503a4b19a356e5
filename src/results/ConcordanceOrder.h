#pragma once

// The concordance of a phrase: its occurrences ("Where it occurs") ordered by the words around
// them, the words that order them known for colouring, and the lines as rows to export.

#include "documents/CountedText.h"
#include "run/OccurrenceFinder.h"

#include <QString>
#include <QStringList>
#include <Qt>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace orvanta {

enum class ConcordanceKey { File, Left1, Left2, Left3, Right1, Right2, Right3 };

// A word of an occurrence's context: in `before` (left of the phrase) or `after`, as a range of
// that text.
struct ContextWord {
    bool after = false;
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const ContextWord &) const = default;
};

// The words of a context as the run counted them: parted by spaces; without their outer
// punctuation, and those of punctuation alone skipped, when punctuation was ignored; those
// without a letter or digit skipped when words needed one.
class ContextWords {
public:
    explicit ContextWords(const TextOptions &options)
        : m_options(options)
    {
    }

    // The word a key names: the nth word left or right of the phrase, counted from it. None for
    // the file key or when the context has fewer words.
    std::optional<ContextWord> wordOf(const Occurrence &occurrence, ConcordanceKey key) const;
    // Its text as counted, lower-cased by the engine's rule: what the order compares. Empty
    // when there is none.
    QByteArray sortTextOf(const Occurrence &occurrence, ConcordanceKey key) const;

private:
    struct Word {
        ContextWord place;
        QByteArray counted; // UTF-8, as the run counted it
    };
    std::optional<Word> nthWord(const Occurrence &occurrence, ConcordanceKey key) const;
    // The word's text as counted; empty when the run did not count it as a word.
    QByteArray countedText(QStringView word) const;

    TextOptions m_options;
};

// The rows of `found` (indexes) ordered by each key in turn: words compared by code point in
// lower case, a missing word before every word; files by name in lower case, then by path
// (`paths` are the searched files). Ties keep their order in `found` in both directions.
std::vector<int> concordanceOrder(const std::vector<Occurrence> &found, const QStringList &paths,
                                  std::span<const ConcordanceKey> keys, Qt::SortOrder order,
                                  const ContextWords &words);

// One concordance line as exported.
struct ConcordanceLine {
    QString file; // the path
    int page = 1;
    int lineNumber = 1;
    QString left;
    QString phrase;
    QString right;
    bool operator==(const ConcordanceLine &) const = default;
};

// The exported columns, in order, named as records name them.
inline constexpr std::array<const char *, 6> kConcordanceColumns{"file", "page",   "line_number",
                                                                 "left", "phrase", "right"};

ConcordanceLine concordanceLine(const Occurrence &occurrence, const QStringList &paths);

} // namespace orvanta
