#include "phrases/PhraseTable.h"

#include "extract/TextReader.h"
#include "phrases/LengthList.h"

#include <QString>

#include <algorithm>
#include <stdexcept>

namespace orvanta {

namespace {

constexpr std::uint32_t kLineBreak = ~std::uint32_t(0);
constexpr std::uint32_t kNoClass = ~std::uint32_t(0);

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// A run of positions whose windows of the current length all repeat, and the class (distinct
// phrase) of each position's window. Positions ascend.
struct Level {
    std::vector<std::uint32_t> positions;
    std::vector<std::uint32_t> classes;     // indexed by position; kNoClass when not live
    std::vector<std::uint32_t> frequencies; // indexed by class
    std::vector<std::uint32_t> firstSeen;   // indexed by class: a position of that phrase
};

} // namespace

PhraseTable::PhraseTable(const std::vector<int> &lengths)
    : m_lengths(distinctCountableLengths(lengths))
{
}

std::uint32_t PhraseTable::lowerCaseId(std::string_view rawWord)
{
    const std::uint32_t rawId = m_rawWords.intern(rawWord);
    if (rawId < m_rawToLower.size())
        return m_rawToLower[rawId];
    const QString lower = QString::fromUtf8(rawWord.data(), qsizetype(rawWord.size())).toLower();
    const QByteArray lowerUtf8 = lower.toUtf8();
    const std::uint32_t lowerId =
        m_lowerWords.intern(std::string_view(lowerUtf8.constData(), size_t(lowerUtf8.size())));
    m_rawToLower.push_back(lowerId);
    return lowerId;
}

void PhraseTable::countLine(QByteArrayView utf8Line)
{
    const char *data = utf8Line.data();
    const qsizetype size = utf8Line.size();
    bool anyWord = false;
    qsizetype i = 0;
    while (i < size) {
        while (i < size && isSeparator(data[i]))
            ++i;
        const qsizetype start = i;
        while (i < size && !isSeparator(data[i]))
            ++i;
        if (i > start) {
            m_ids.push_back(lowerCaseId(std::string_view(data + start, size_t(i - start))));
            anyWord = true;
        }
    }
    if (anyWord) {
        m_ids.push_back(kLineBreak);
        ++m_lineBreaks;
    }
    if (m_ids.size() >= kLineBreak)
        throw std::length_error("Too many words to count in one run");
}

void PhraseTable::countLines(const LineSequence &lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        countLine(lines.line(i));
}

namespace {

class RowWriter {
public:
    RowWriter(const std::vector<std::uint32_t> &ids, const detail::StringInterner &words,
              PhraseResults &results)
        : m_ids(ids)
        , m_words(words)
        , m_results(results)
    {
    }

    void write(const Level &level, int length)
    {
        for (std::size_t c = 0; c < level.frequencies.size(); ++c) {
            m_phrase.clear();
            const std::uint32_t start = level.firstSeen[c];
            for (int w = 0; w < length; ++w) {
                if (w > 0)
                    m_phrase.push_back(' ');
                m_phrase.append(m_words.text(m_ids[start + std::uint32_t(w)]));
            }
            m_results.append(m_phrase, length, int(level.frequencies[c]));
        }
    }

private:
    const std::vector<std::uint32_t> &m_ids;
    const detail::StringInterner &m_words;
    PhraseResults &m_results;
    std::string m_phrase;
};

// Single words that occur at least twice.
Level firstLevel(const std::vector<std::uint32_t> &ids, std::size_t distinctWords)
{
    Level level;
    std::vector<std::uint32_t> counts(distinctWords, 0);
    for (std::uint32_t id : ids) {
        if (id != kLineBreak)
            ++counts[id];
    }
    level.classes.assign(ids.size(), kNoClass);
    std::vector<std::uint32_t> classOfWord(distinctWords, kNoClass);
    for (std::uint32_t k = 0; k < ids.size(); ++k) {
        const std::uint32_t id = ids[k];
        if (id == kLineBreak || counts[id] < 2)
            continue;
        if (classOfWord[id] == kNoClass) {
            classOfWord[id] = std::uint32_t(level.frequencies.size());
            level.frequencies.push_back(counts[id]);
            level.firstSeen.push_back(k);
        }
        level.classes[k] = classOfWord[id];
        level.positions.push_back(k);
    }
    return level;
}

// A window of n + 1 words can repeat only where its first n words and its last n words both
// repeat, so each level looks only at the live positions of the level before. The new window
// is identified by the class of its first n words and its last word.
void advanceLevel(Level &level, const std::vector<std::uint32_t> &ids, int length,
                  std::vector<std::uint64_t> &candidates)
{
    const std::vector<std::uint32_t> &classes = level.classes;
    detail::KeyCounter counter(level.positions.size());
    candidates.clear();
    for (std::uint32_t k : level.positions) {
        if (k + 1 >= classes.size() || classes[k + 1] == kNoClass)
            continue;
        const std::uint64_t key =
            (std::uint64_t(classes[k]) << 32) | ids[k + std::uint32_t(length)];
        candidates.push_back((std::uint64_t(counter.add(key)) << 32) | k);
    }
    for (std::uint32_t k : level.positions)
        level.classes[k] = kNoClass;
    level.positions.clear();
    level.frequencies.clear();
    level.firstSeen.clear();

    std::vector<std::uint32_t> classOfKey(counter.size(), kNoClass);
    for (std::uint64_t candidate : candidates) {
        const auto keyIndex = std::uint32_t(candidate >> 32);
        const auto k = std::uint32_t(candidate);
        const std::uint32_t frequency = counter.count(keyIndex);
        if (frequency < 2)
            continue;
        if (classOfKey[keyIndex] == kNoClass) {
            classOfKey[keyIndex] = std::uint32_t(level.frequencies.size());
            level.frequencies.push_back(frequency);
            level.firstSeen.push_back(k);
        }
        level.classes[k] = classOfKey[keyIndex];
        level.positions.push_back(k);
    }
}

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

    RowWriter writer(m_ids, m_lowerWords, results);
    Level level = firstLevel(m_ids, m_lowerWords.size());
    if (wanted(1))
        writer.write(level, 1);
    std::vector<std::uint64_t> candidates;
    for (int length = 1; length < longest && !level.positions.empty(); ++length) {
        if (stop.stop_requested())
            break;
        advanceLevel(level, m_ids, length, candidates);
        if (wanted(length + 1))
            writer.write(level, length + 1);
    }
    return results;
}

} // namespace orvanta
