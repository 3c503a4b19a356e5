// One search for repeated passages of at least eight words in a generated word-id text of WORDS
// words (default 14 million). Prints the time of the search and the peak memory of the process;
// /usr/bin/time -v gives the same peak.
//
// usage: bench_passages_once [WORDS]

#include "PassageTextGenerator.h"
#include "phrases/RepeatedPassages.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using orvanta::bench::kPassageMinimumWords;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int runOnce(std::size_t wordCount)
{
    const std::vector<std::uint32_t> ids = orvanta::bench::PassageTextGenerator().make(wordCount);
    const auto begin = std::chrono::steady_clock::now();
    const double cpuBegin = cpuSeconds();
    const orvanta::PassageList passages = orvanta::findRepeatedPassages(ids, kPassageMinimumWords);
    const double cpu = cpuSeconds() - cpuBegin;
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - begin;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto words = std::size_t(std::count_if(
        ids.begin(), ids.end(), [](auto id) { return id != orvanta::detail::kLineBreak; }));
    std::uint64_t passageWords = 0;
    for (const std::uint32_t length : passages.lengths)
        passageWords += length;
    std::printf("%zu words (%zu ids): %zu passages of %llu words, %zu occurrences listed; %zu "
                "passages left out\n",
                words, ids.size(), passages.size(), static_cast<unsigned long long>(passageWords),
                passages.starts.size(), passages.leftOut);
    std::printf("search: %.2f s, %.2f s of processor time; peak memory %.0f MiB\n", seconds.count(),
                cpu, double(usage.ru_maxrss) / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t words = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 14'000'000;
    if (argc > 2 || words == 0) {
        std::fprintf(stderr, "usage: bench_passages_once [WORDS]\n");
        return 2;
    }
    return runOnce(words);
}
