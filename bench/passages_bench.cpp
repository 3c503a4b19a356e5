// Finding repeated passages of at least eight words in a generated word-id text: Zipf-distributed
// words in lines of 8 to 14, where some lines repeat an earlier line and some blocks of 50 to 500
// words repeat an earlier stretch, as boilerplate and duplicated pages do.
//
//   bench_passages                   Google Benchmark runs at 200 000 and 1 000 000 words
//   bench_passages --words 14000000  one run at any size; prints the time of the search and the
//                                    process's peak memory (or run it under /usr/bin/time -v)

#include "phrases/PhraseLevels.h"
#include "phrases/RepeatedPassages.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kVocabularySize = 50000;
constexpr double kZipfExponent = 1.05;
constexpr std::uint64_t kSeed = 20240607;
constexpr std::uint32_t kMinimumWords = 8;

class TextGenerator {
public:
    TextGenerator()
        : m_random(kSeed)
    {
        double total = 0;
        for (std::size_t rank = 0; rank < kVocabularySize; ++rank) {
            total += 1.0 / std::pow(double(rank + 1), kZipfExponent);
            m_cumulative.push_back(total);
        }
    }

    std::vector<std::uint32_t> make(std::size_t wordCount)
    {
        std::vector<std::uint32_t> ids;
        ids.reserve(wordCount + wordCount / 8);
        std::size_t words = 0;
        while (words < wordCount) {
            const int roll = percentile();
            if (roll < 3 && !m_lineStarts.empty())
                words += repeatLine(ids);
            else if (roll == 3 && words > 500 && percentile() < 20)
                words += repeatBlock(ids);
            else
                words += addLine(ids);
        }
        return denseIds(std::move(ids));
    }

private:
    int percentile() { return std::uniform_int_distribution<int>(0, 99)(m_random); }

    std::size_t pick(std::size_t bound)
    {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random);
    }

    std::uint32_t zipfWord()
    {
        const double target =
            std::uniform_real_distribution<double>(0.0, m_cumulative.back())(m_random);
        const auto rank =
            std::size_t(std::lower_bound(m_cumulative.begin(), m_cumulative.end(), target) -
                        m_cumulative.begin());
        return std::uint32_t(std::min(rank, kVocabularySize - 1));
    }

    std::size_t addLine(std::vector<std::uint32_t> &ids)
    {
        if (m_lineStarts.size() < 1000 && percentile() == 0)
            m_lineStarts.push_back(ids.size());
        const std::size_t length = 8 + pick(7);
        for (std::size_t w = 0; w < length; ++w)
            ids.push_back(zipfWord());
        ids.push_back(orvanta::detail::kLineBreak);
        return length;
    }

    std::size_t repeatLine(std::vector<std::uint32_t> &ids)
    {
        std::size_t start = m_lineStarts[pick(m_lineStarts.size())];
        std::size_t words = 0;
        for (; ids[start] != orvanta::detail::kLineBreak; ++start, ++words)
            ids.push_back(ids[start]);
        ids.push_back(orvanta::detail::kLineBreak);
        return words;
    }

    std::size_t repeatBlock(std::vector<std::uint32_t> &ids)
    {
        const std::size_t length = 50 + pick(451);
        const std::size_t start = pick(ids.size() - length);
        for (std::size_t i = start; i < start + length; ++i)
            ids.push_back(ids[i]);
        ids.push_back(orvanta::detail::kLineBreak);
        return std::size_t(
            std::count_if(ids.end() - std::ptrdiff_t(length) - 1, ids.end(),
                          [](auto id) { return id != orvanta::detail::kLineBreak; }));
    }

    // The counting engine numbers words in order of first sight.
    static std::vector<std::uint32_t> denseIds(std::vector<std::uint32_t> ids)
    {
        std::vector<std::uint32_t> dense(kVocabularySize, orvanta::detail::kLineBreak);
        std::uint32_t next = 0;
        for (std::uint32_t &id : ids) {
            if (id == orvanta::detail::kLineBreak)
                continue;
            if (dense[id] == orvanta::detail::kLineBreak)
                dense[id] = next++;
            id = dense[id];
        }
        return ids;
    }

    std::mt19937_64 m_random;
    std::vector<double> m_cumulative;
    std::vector<std::size_t> m_lineStarts; // lines that get repeated
};

const std::vector<std::uint32_t> &textOf(std::size_t wordCount)
{
    static std::map<std::size_t, std::vector<std::uint32_t>> texts;
    auto found = texts.find(wordCount);
    if (found == texts.end())
        found = texts.emplace(wordCount, TextGenerator().make(wordCount)).first;
    return found->second;
}

void BM_FindRepeatedPassages(benchmark::State &state)
{
    const std::vector<std::uint32_t> &ids = textOf(std::size_t(state.range(0)));
    orvanta::PassageList passages;
    for (auto _ : state) {
        passages = orvanta::findRepeatedPassages(ids, kMinimumWords);
        benchmark::DoNotOptimize(passages.starts.data());
    }
    state.counters["words/s"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["passages"] = double(passages.size());
    state.counters["occurrences"] = double(passages.starts.size());
}

BENCHMARK(BM_FindRepeatedPassages)
    ->ArgName("words")
    ->Arg(200'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int runOnce(std::size_t wordCount)
{
    const std::vector<std::uint32_t> ids = TextGenerator().make(wordCount);
    const auto begin = std::chrono::steady_clock::now();
    const double cpuBegin = cpuSeconds();
    const orvanta::PassageList passages = orvanta::findRepeatedPassages(ids, kMinimumWords);
    const double cpu = cpuSeconds() - cpuBegin;
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - begin;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto words = std::size_t(std::count_if(
        ids.begin(), ids.end(), [](auto id) { return id != orvanta::detail::kLineBreak; }));
    std::printf("%zu words (%zu ids): %zu passages, %zu occurrences in %.2f s (%.2f s of processor "
                "time); peak memory %.0f "
                "MiB\n",
                words, ids.size(), passages.size(), passages.starts.size(), seconds.count(), cpu,
                double(usage.ru_maxrss) / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string_view(argv[1]) == "--words")
        return runOnce(std::strtoull(argv[2], nullptr, 10));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
