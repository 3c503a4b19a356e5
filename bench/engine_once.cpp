// One run of the counting engine over text files, phase by phase: reading the lines into the
// table, finding the repeated phrases, ordering them. Prints each phase's wall and processor
// time and the peak memory, so that the engine can be timed and profiled (valgrind's callgrind)
// apart from conversion and output. Under callgrind, each phase's costs are dumped on their own
// (callgrind.out.PID.1 to .3).
//
// usage: bench_engine_once [-l LENGTHS] FILE...     (LENGTHS as orvanta-count takes them; 2-5)

#include "CountArguments.h"
#include "extract/TextReader.h"
#include "phrases/PhraseResults.h"
#include "phrases/PhraseTable.h"

#include <QFile>
#include <QString>

#include <sys/resource.h>
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double peakMebibytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void timed(const char *phase, const std::function<void()> &work)
{
    const auto begin = std::chrono::steady_clock::now();
    const double cpuBegin = cpuSeconds();
    work();
    CALLGRIND_DUMP_STATS_AT(phase);
    const double cpu = cpuSeconds() - cpuBegin;
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - begin;
    std::printf("%-8s %7.3f s wall %7.3f s cpu  peak %6.0f MiB\n", phase, wall.count(), cpu,
                peakMebibytes());
}

bool countFile(orvanta::PhraseTable &table, const char *path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return false;
    }
    table.beginDocument();
    orvanta::LineSplitter splitter(
        [&](QByteArrayView line, orvanta::LinePlace) { table.countLine(line); });
    splitter.feed(file.readAll());
    splitter.finish();
    return true;
}

// Changes whenever any row, or the order of the rows, changes.
std::uint64_t checksum(const orvanta::PhraseResults &results)
{
    std::uint64_t hash = 14695981039346656037ULL;
    const auto mix = [&hash](std::string_view bytes) {
        for (const char c : bytes)
            hash = (hash ^ std::uint8_t(c)) * 1099511628211ULL;
    };
    for (qsizetype i = 0; i < results.size(); ++i) {
        mix(results.phraseUtf8(i));
        const std::string numbers = std::to_string(results.wordCount(i)) + ' ' +
                                    std::to_string(results.frequency(i)) + ' ' +
                                    std::to_string(results.files(i)) + '\n';
        mix(numbers);
    }
    return hash;
}

} // namespace

int main(int argc, char **argv)
{
    const auto arguments = orvanta::bench::countArguments(argc, argv, "bench_engine_once");
    if (!arguments)
        return 2;

    orvanta::PhraseTable table(arguments->lengths);
    bool allRead = true;
    timed("read", [&] {
        for (const char *file : arguments->files)
            allRead = countFile(table, file) && allRead;
    });
    orvanta::PhraseResults results;
    timed("extract", [&] { results = table.extractRepeatedPhrases(); });
    timed("sort", [&] { results.sortForDisplay(); });
    std::printf("%zu words, %lld rows, checksum %016llx\n", table.wordCount(),
                static_cast<long long>(results.size()),
                static_cast<unsigned long long>(checksum(results)));
    return allRead ? 0 : 1;
}
