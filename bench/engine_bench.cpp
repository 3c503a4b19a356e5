// Throughput of the counting engine on a generated text: counting lines, finding the repeated
// phrases and ordering them for display.

#include "phrases/PhraseResults.h"
#include "phrases/PhraseTable.h"

#include <benchmark/benchmark.h>

#include <QByteArrayView>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kVocabularySize = 50000;
constexpr double kZipfExponent = 1.05;
constexpr std::uint64_t kSeed = 20240607;

const std::vector<int> kShortLengths{2, 3, 4, 5};

std::vector<int> lengthsTwoToNineteen()
{
    std::vector<int> lengths(18);
    std::iota(lengths.begin(), lengths.end(), 2);
    return lengths;
}

// Word forms made of letters a-z, shorter ones for the more frequent ranks.
std::vector<std::string> makeVocabulary()
{
    std::vector<std::string> words;
    words.reserve(kVocabularySize);
    for (std::size_t rank = 0; rank < kVocabularySize; ++rank) {
        std::string word;
        std::size_t rest = rank;
        do {
            word.push_back(char('a' + rest % 26));
            rest /= 26;
        } while (rest > 0);
        words.push_back(word);
    }
    return words;
}

std::vector<double> zipfCumulative()
{
    std::vector<double> cumulative(kVocabularySize);
    double total = 0;
    for (std::size_t rank = 0; rank < kVocabularySize; ++rank) {
        total += 1.0 / std::pow(double(rank + 1), kZipfExponent);
        cumulative[rank] = total;
    }
    return cumulative;
}

// A text of about `wordCount` words in lines of 8 to 14 words; one word in twenty starts with
// a capital and some end with a full stop, so lower-casing has work to do. One line in thirty
// repeats an earlier one, as boilerplate and quotations do, which gives long repeated phrases.
class Corpus {
public:
    explicit Corpus(std::size_t wordCount)
    {
        const std::vector<std::string> vocabulary = makeVocabulary();
        const std::vector<double> cumulative = zipfCumulative();
        std::mt19937_64 random(kSeed);
        std::uniform_real_distribution<double> unit(0.0, cumulative.back());
        std::uniform_int_distribution<std::size_t> lineLength(8, 14);
        std::uniform_int_distribution<int> percent(0, 99);

        std::size_t written = 0;
        while (written < wordCount) {
            if (!m_remembered.empty() && percent(random) < 3) {
                const std::size_t pick = std::size_t(percent(random)) % m_remembered.size();
                m_lines.push_back(m_lines[m_remembered[pick]]);
                written += m_lineWords[m_remembered[pick]];
                m_lineWords.push_back(m_lineWords[m_remembered[pick]]);
                continue;
            }
            const std::size_t start = m_text.size();
            const std::size_t words = std::min(lineLength(random), wordCount - written);
            for (std::size_t w = 0; w < words; ++w) {
                const auto rank = std::size_t(
                    std::lower_bound(cumulative.begin(), cumulative.end(), unit(random)) -
                    cumulative.begin());
                appendWord(vocabulary[std::min(rank, kVocabularySize - 1)], percent(random));
            }
            m_text.push_back('\n');
            if (percent(random) == 0 && m_remembered.size() < 100)
                m_remembered.push_back(m_lines.size());
            m_lines.push_back({start, m_text.size() - 1 - start});
            m_lineWords.push_back(words);
            written += words;
        }
        m_wordCount = written;
    }

    std::size_t wordCount() const { return m_wordCount; }

    void countInto(orvanta::PhraseTable &table) const
    {
        for (const Span &line : m_lines)
            table.countLine(QByteArrayView(m_text.data() + line.start, qsizetype(line.length)));
    }

private:
    struct Span {
        std::size_t start;
        std::size_t length;
    };

    void appendWord(const std::string &word, int roll)
    {
        if (!m_text.empty() && m_text.back() != '\n')
            m_text.push_back(' ');
        const std::size_t first = m_text.size();
        m_text.append(word);
        if (roll < 5)
            m_text[first] = char(m_text[first] - 'a' + 'A');
        else if (roll < 8)
            m_text.push_back('.');
    }

    std::string m_text;
    std::vector<Span> m_lines;
    std::vector<std::size_t> m_lineWords;
    std::vector<std::size_t> m_remembered; // indexes of lines that get repeated
    std::size_t m_wordCount = 0;
};

const Corpus &corpusOf(std::size_t wordCount)
{
    static std::map<std::size_t, Corpus> corpora;
    auto found = corpora.find(wordCount);
    if (found == corpora.end())
        found = corpora.emplace(wordCount, Corpus(wordCount)).first;
    return found->second;
}

void reportThroughput(benchmark::State &state, std::size_t words, qsizetype rows)
{
    state.counters["words/s"] =
        benchmark::Counter(double(words), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["rows"] = double(rows);
}

// Counting, finding the repeated phrases and ordering them, as one run does.
void BM_WholeRun(benchmark::State &state, const std::vector<int> &lengths)
{
    const Corpus &corpus = corpusOf(std::size_t(state.range(0)));
    qsizetype rows = 0;
    for (auto _ : state) {
        orvanta::PhraseTable table(lengths);
        corpus.countInto(table);
        orvanta::PhraseResults results = table.extractRepeatedPhrases();
        results.sortForDisplay();
        rows = results.size();
        benchmark::DoNotOptimize(rows);
    }
    reportThroughput(state, corpus.wordCount(), rows);
}

// Only reading the lines into the table: splitting, lower-casing and interning words.
void BM_CountLines(benchmark::State &state)
{
    const Corpus &corpus = corpusOf(std::size_t(state.range(0)));
    std::size_t words = 0;
    for (auto _ : state) {
        orvanta::PhraseTable table(kShortLengths);
        corpus.countInto(table);
        words = table.wordCount();
        benchmark::DoNotOptimize(words);
    }
    reportThroughput(state, words, 0);
}

// Only finding the repeated phrases and ordering them, on a table counted beforehand.
void BM_ExtractAndSort(benchmark::State &state, const std::vector<int> &lengths)
{
    const Corpus &corpus = corpusOf(std::size_t(state.range(0)));
    orvanta::PhraseTable table(lengths);
    corpus.countInto(table);
    qsizetype rows = 0;
    for (auto _ : state) {
        orvanta::PhraseResults results = table.extractRepeatedPhrases();
        results.sortForDisplay();
        rows = results.size();
        benchmark::DoNotOptimize(rows);
    }
    reportThroughput(state, table.wordCount(), rows);
}

void wordCounts(benchmark::internal::Benchmark *benchmark)
{
    benchmark->ArgName("words")->Arg(200'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK_CAPTURE(BM_WholeRun, lengths_2_to_5, kShortLengths)->Apply(wordCounts);
BENCHMARK_CAPTURE(BM_WholeRun, lengths_2_to_19, lengthsTwoToNineteen())->Apply(wordCounts);
BENCHMARK(BM_CountLines)->Apply(wordCounts);
BENCHMARK_CAPTURE(BM_ExtractAndSort, lengths_2_to_5, kShortLengths)->Apply(wordCounts);
BENCHMARK_CAPTURE(BM_ExtractAndSort, lengths_2_to_19, lengthsTwoToNineteen())->Apply(wordCounts);

BENCHMARK_MAIN();
