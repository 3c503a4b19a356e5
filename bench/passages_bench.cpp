// Finding repeated passages of at least eight words in generated word-id texts of 200 000 and
// 1 000 000 words. bench_passages_once runs one search at any size and prints its peak memory.

#include "PassageTextGenerator.h"
#include "phrases/RepeatedPassages.h"

#include <benchmark/benchmark.h>

#include <map>
#include <vector>

namespace {

using orvanta::bench::kPassageMinimumWords;

const std::vector<std::uint32_t> &textOf(std::size_t wordCount)
{
    static std::map<std::size_t, std::vector<std::uint32_t>> texts;
    auto found = texts.find(wordCount);
    if (found == texts.end())
        found =
            texts.emplace(wordCount, orvanta::bench::PassageTextGenerator().make(wordCount)).first;
    return found->second;
}

void BM_FindRepeatedPassages(benchmark::State &state)
{
    const std::vector<std::uint32_t> &ids = textOf(std::size_t(state.range(0)));
    orvanta::PassageList passages;
    for (auto _ : state) {
        passages = orvanta::findRepeatedPassages(ids, kPassageMinimumWords);
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

} // namespace

BENCHMARK_MAIN();
