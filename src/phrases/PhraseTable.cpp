#include "phrases/PhraseTable.h"

#include "phrases/LengthList.h"
#include "phrases/PhraseLevels.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace orvanta {

using detail::kLineBreak;

PhraseTable::PhraseTable(const std::vector<int> &lengths)
    : m_lengths(distinctCountableLengths(lengths))
{
}

void PhraseTable::closeLine()
{
    m_ids.push_back(kLineBreak);
    ++m_lineBreaks;
    if (m_ids.size() >= kLineBreak)
        throw std::length_error("Too many words to count in one run");
}

void PhraseTable::beginDocument()
{
    m_documentStarts.push_back(std::uint32_t(m_ids.size()));
    m_lineBreaksBefore.push_back(m_lineBreaks);
}

void PhraseTable::countLine(QByteArrayView utf8Line)
{
    if (m_words.forEachWordId(utf8Line, [this](std::uint32_t id) { m_ids.push_back(id); }))
        closeLine();
}

std::uint64_t PhraseTable::bytesHeld() const
{
    return m_words.bytesHeld() + detail::bytesOf(m_ids) + detail::bytesOf(m_documentStarts) +
           detail::bytesOf(m_lineBreaksBefore);
}

PassageList PhraseTable::findPassages(std::uint32_t minimumWords, std::stop_token stop) const
{
    return findRepeatedPassages(m_ids, minimumWords, std::move(stop));
}

std::string PhraseTable::phraseAt(std::uint32_t position, std::uint32_t length) const
{
    std::string phrase;
    for (std::uint32_t w = 0; w < length; ++w) {
        if (w > 0)
            phrase.push_back(' ');
        phrase.append(m_words.text(m_ids[position + w]));
    }
    return phrase;
}

std::size_t PhraseTable::documentAt(std::uint32_t position) const
{
    const auto after = std::upper_bound(m_documentStarts.begin(), m_documentStarts.end(), position);
    return after == m_documentStarts.begin() ? 0
                                             : std::size_t(after - m_documentStarts.begin() - 1);
}

detail::CountedWords PhraseTable::countedWords() const
{
    return {m_ids, m_documentStarts, m_lineBreaksBefore, m_lineBreaks};
}

CorpusSize PhraseTable::corpusSize() const
{
    const detail::CountedWords words = countedWords();
    CorpusSize size{words.documents(), wordCount(), m_words.size(), {}};
    size.wordsByFile.reserve(words.documents());
    for (std::size_t document = 0; document < words.documents(); ++document)
        size.wordsByFile.push_back(words.wordsOf(document));
    return size;
}

std::vector<PhrasePosition> PhraseTable::positionsOf(std::string_view phrase,
                                                     std::span<const FileCount> files) const
{
    std::vector<std::uint32_t> ids;
    for (std::size_t begin = 0; begin <= phrase.size();) {
        const std::size_t end = std::min(phrase.find(' ', begin), phrase.size());
        const std::optional<std::uint32_t> id =
            m_words.lowerWords().find(phrase.substr(begin, end - begin));
        if (!id)
            return {};
        ids.push_back(*id);
        begin = end + 1;
    }
    return detail::positionsOf(countedWords(), ids, files);
}

namespace {

class RowWriter {
public:
    RowWriter(std::span<const std::uint32_t> ids, const std::vector<std::uint32_t> &documents,
              const detail::WordTable &words, bool countsPerFile, PhraseResults &results)
        : m_ids(ids)
        , m_documentStarts(documents)
        , m_words(words)
        , m_countsPerFile(countsPerFile)
        , m_results(results)
    {
    }

    // The rows of a big level are written in two halves at once, the second into rows of its
    // own that follow the first's.
    void write(const detail::Level &level, int length)
    {
        const detail::LargeArray<std::uint32_t> files = filesOf(level);
        // All the level's per-file counts go to the first half's results, ahead of its rows.
        if (m_countsPerFile)
            detail::countFilesOf(level, m_documentStarts, files, m_results.appendFileCounts(files));
        const std::size_t classes = level.frequencies.size();
        const auto writeClasses = [&](std::size_t begin, std::size_t end, PhraseResults &into) {
            std::string phrase;
            for (std::size_t c = begin; c < end; ++c) {
                phrase.clear();
                const std::uint32_t start = level.firstSeen[c];
                for (int w = 0; w < length; ++w) {
                    if (w > 0)
                        phrase.push_back(' ');
                    phrase.append(m_words.text(m_ids[start + std::uint32_t(w)]));
                }
                into.append(phrase, length, int(level.frequencies[c]), int(files[c]));
            }
        };
        if (classes < kRowsForTwoCores || std::thread::hardware_concurrency() < 2) {
            writeClasses(0, classes, m_results);
            return;
        }
        PhraseResults secondHalf;
        std::thread helper([&] { writeClasses(classes / 2, classes, secondHalf); });
        writeClasses(0, classes / 2, m_results);
        helper.join();
        m_results.append(secondHalf);
    }

private:
    static constexpr std::size_t kRowsForTwoCores = 50000;

    // In how many files each class occurs: its positions ascend, so each file's occurrences
    // come together.
    detail::LargeArray<std::uint32_t> filesOf(const detail::Level &level) const
    {
        detail::LargeArray<std::uint32_t> files(level.frequencies.size(), 0);
        detail::LargeArray<std::uint32_t> lastFile(level.frequencies.size(), detail::kNoClass);
        std::size_t file = 0;
        for (const std::uint32_t position : level.positions) {
            while (file + 1 < m_documentStarts.size() && m_documentStarts[file + 1] <= position)
                ++file;
            const std::uint32_t c = level.classes[position];
            if (lastFile[c] != file) {
                lastFile[c] = std::uint32_t(file);
                ++files[c];
            }
        }
        return files;
    }

    std::span<const std::uint32_t> m_ids;
    const std::vector<std::uint32_t> &m_documentStarts;
    const detail::WordTable &m_words;
    const bool m_countsPerFile;
    PhraseResults &m_results;
};

} // namespace

PhraseResults PhraseTable::extractRepeatedPhrases(std::stop_token stop) const
{
    PhraseResults results;
    if (m_lengths.empty())
        return results;
    const int longest = *std::max_element(m_lengths.begin(), m_lengths.end());
    const auto wanted = [this](int length) {
        return std::find(m_lengths.begin(), m_lengths.end(), length) != m_lengths.end();
    };

    RowWriter writer(m_ids, m_documentStarts, m_words, m_countsPerFile, results);
    detail::Level level = detail::firstLevel(m_ids, m_words.size());
    const auto stepDone = [&](int length) {
        if (m_observer)
            m_observer("level " + std::to_string(length), bytesOf(level), results.bytesHeld());
    };
    if (wanted(1))
        writer.write(level, 1);
    stepDone(1);
    for (int length = 1; length < longest && !level.positions.empty(); ++length) {
        if (stop.stop_requested())
            break;
        detail::advanceLevel(level, m_ids, length);
        if (wanted(length + 1))
            writer.write(level, length + 1);
        stepDone(length + 1);
    }
    return results;
}

} // namespace orvanta
