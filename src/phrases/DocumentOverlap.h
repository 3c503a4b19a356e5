#pragma once

// Which files share text with which: for every pair of files, how many words of each lie in
// stretches of N words that also occur in the other, over the counting engine's word ids.

#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <vector>

namespace orvanta {

struct OverlapSettings {
    // A shared stretch is this many consecutive words of one line (at least 1).
    std::uint32_t stretchWords = 8;
    // A stretch whose phrase occurs in more than this percentage of the files is shared by no
    // pair: boilerplate such as a template or a licence header. 100 leaves nothing out.
    double ignoreAbovePercent = 100;
    bool operator==(const OverlapSettings &) const = default;
};

// Two files, a listed before b, and their words: all of them, and those that lie in at least
// one stretch the file shares with the other.
struct OverlapPair {
    std::uint32_t fileA = 0;
    std::uint32_t fileB = 0;
    std::uint32_t wordsA = 0;
    std::uint32_t wordsB = 0;
    std::uint32_t sharedA = 0;
    std::uint32_t sharedB = 0;

    double shareA() const { return wordsA == 0 ? 0.0 : double(sharedA) / wordsA; }
    double shareB() const { return wordsB == 0 ? 0.0 : double(sharedB) / wordsB; }
    bool operator==(const OverlapPair &) const = default;
};

// Word positions [begin, end), as the index's ids number them.
struct WordRange {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    bool operator==(const WordRange &) const = default;
};

// The shared stretches of one file with another, overlapping and touching ones merged, in text
// order.
struct SharedRanges {
    std::vector<WordRange> inFirst;
    std::vector<WordRange> inSecond;
};

class OverlapIndex;

// The overlap of every pair of files for one choice of settings.
class DocumentOverlap {
public:
    // Every pair with shared words, by the larger of its two shares, highest first; among equal
    // ones by the smaller share, highest first, then in list order of file a, then of file b.
    const std::vector<OverlapPair> &pairs() const { return m_pairs; }
    const OverlapSettings &settings() const { return m_settings; }

    // The stretches of `first` shared with `second`, and of `second` shared with `first`.
    SharedRanges sharedRanges(std::uint32_t first, std::uint32_t second) const;

private:
    friend class OverlapIndex;
    class Builder;

    std::vector<WordRange> rangesOf(std::uint32_t file, std::uint32_t other) const;

    OverlapSettings m_settings;
    std::vector<std::uint32_t> m_fileEnds; // the end position of each file
    std::vector<OverlapPair> m_pairs;
    // For each position where a stretch starts that some pair shares: its set of files (sorted
    // file numbers at m_setFiles[m_setBegin[s] .. m_setBegin[s + 1])); kNoSet elsewhere.
    std::vector<std::uint32_t> m_setAt;
    std::vector<std::uint32_t> m_setFiles;
    std::vector<std::size_t> m_setBegin{0};
};

// The equal stretches of all files, found once by a suffix array over the word ids, so that the
// overlap for any stretch length and boilerplate share costs one pass over the text.
class OverlapIndex {
public:
    // `ids` as PhraseTable keeps them: dense word ids (each below ids.size()), each line closed by
    // detail::kLineBreak. `documentStarts` holds the first position of each file, ascending;
    // every file but the last must end with a line break (none may run into the next). Without
    // starts the text is one file. `ids` must outlive the index. Empty when a stop is requested.
    static std::optional<OverlapIndex> build(std::span<const std::uint32_t> ids,
                                             std::vector<std::uint32_t> documentStarts,
                                             std::stop_token stop = {});

    std::size_t fileCount() const { return m_documentStarts.size(); }
    std::uint32_t wordsOf(std::size_t file) const { return m_words[file]; }
    std::uint32_t firstPosition(std::size_t file) const { return m_documentStarts[file]; }
    std::uint32_t endPosition(std::size_t file) const;
    std::size_t fileAt(std::uint32_t position) const;

    // The ranked pairs for `settings`; empty when a stop is requested.
    DocumentOverlap compare(const OverlapSettings &settings, std::stop_token stop = {}) const;

private:
    OverlapIndex(std::span<const std::uint32_t> ids, std::vector<std::uint32_t> documentStarts);

    std::span<const std::uint32_t> m_ids;
    std::vector<std::uint32_t> m_documentStarts;
    std::vector<std::uint32_t> m_words; // by file
    std::vector<std::uint32_t> m_suffixArray;
    // By rank: the words the suffix shares with the one before it, up to a line break.
    std::vector<std::uint32_t> m_sharedWithPrevious;
};

} // namespace orvanta
