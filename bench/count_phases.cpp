// Where the memory of a count goes: runs the steps orvanta-count takes for text files (reading
// the lines into the table, each length's level, ordering the rows, printing them) and prints,
// after each step, the peak resident set during that step, the resident set after it, the bytes
// freed but kept by the heap (malloc's free chunks) and the bytes the step's structures hold. The
// peak is reset between steps (clear_refs), so each row's peak is its own step's; the largest of
// them is the program's peak.
//
// usage: bench_count_phases [-l LENGTHS] FILE...     (LENGTHS as orvanta-count takes them; 2-5)
// The rows are printed to /dev/null, as orvanta-count -q prints them.

#include "CountArguments.h"
#include "base/Descriptor.h"
#include "cli/CountCommand.h"
#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"
#include "documents/CountedText.h"
#include "extract/TextReader.h"
#include "phrases/PhraseTable.h"
#include "run/CountingRun.h"

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace {

// A field of /proc/self/status in KiB.
std::uint64_t statusKib(std::string_view field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':')
            return std::stoull(line.substr(field.size() + 1));
    }
    return 0;
}

std::uint64_t largestPeak = 0;

// Prints the step's row and starts the next step's peak from the resident set now.
void stepDone(std::string_view step, std::uint64_t heldBytes, std::string_view held)
{
    const std::uint64_t peak = statusKib("VmHWM");
    largestPeak = std::max(largestPeak, peak);
    const struct mallinfo2 heap = mallinfo2();
    std::printf("%-12.*s %9llu %9llu %9zu %9.0f  %.*s\n", int(step.size()), step.data(),
                static_cast<unsigned long long>(peak),
                static_cast<unsigned long long>(statusKib("VmRSS")), heap.fordblks >> 10,
                double(heldBytes) / 1024, int(held.size()), held.data());
    std::ofstream("/proc/self/clear_refs") << "5";
}

bool countFile(orvanta::PhraseTable &table, const char *path)
{
    const QString name = QString::fromLocal8Bit(path);
    const orvanta::Descriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
    if (!fd.isOpen() || !orvanta::checkLineLengths(fd.get(), name).ok()) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return false;
    }
    table.beginDocument();
    const orvanta::TextSource text = [&](const orvanta::LineSink &sink) {
        ::lseek(fd.get(), 0, SEEK_SET);
        return orvanta::readLines(fd.get(), name, sink);
    };
    return orvanta::readCountedLines(
               {}, text, [&](const orvanta::CountedLine &line) { table.countLine(line.text); })
        .ok();
}

bool printRows(const orvanta::RunOutcome &outcome, const std::vector<int> &lengths)
{
    orvanta::CountOptions options;
    options.lengths = lengths;
    orvanta::CountCommand command(options);
    QFile null(QStringLiteral("/dev/null"));
    if (!null.open(QIODevice::WriteOnly))
        return false;
    orvanta::Destination destination(null, QString());
    orvanta::RecordWriter writer(options.format, command.fieldNames(), options.header);
    orvanta::RecordStream out(destination, writer);
    return destination.open() && command.print(outcome, out) && destination.finish();
}

} // namespace

int main(int argc, char **argv)
{
    const auto arguments = orvanta::bench::countArguments(argc, argv, "bench_count_phases");
    if (!arguments)
        return 2;

    std::printf("%-12s %9s %9s %9s %9s  %s\n", "step", "peak KiB", "RSS KiB", "heap free",
                "held KiB", "held by");
    stepDone("start", 0, "");
    auto table = std::make_shared<orvanta::PhraseTable>(arguments->lengths);
    bool allRead = true;
    for (const char *file : arguments->files)
        allRead = countFile(*table, file) && allRead;
    stepDone("reading", table->bytesHeld(), "word table and word ids");
    table->finishReading();
    stepDone("raw freed", table->bytesHeld(), "word table without its raw words, word ids");
    table->observeSteps(
        [](std::string_view step, std::uint64_t levelBytes, std::uint64_t rowBytes) {
            stepDone(step, levelBytes + rowBytes,
                     "level arrays " + std::to_string(levelBytes >> 10) + " KiB, rows " +
                         std::to_string(rowBytes >> 10) + " KiB");
        });
    orvanta::RunOutcome outcome;
    outcome.phrases = table->extractRepeatedPhrases();
    outcome.corpus = table->corpusSize();
    stepDone("extracted", outcome.phrases.bytesHeld(), "rows");
    outcome.phrases.sortForDisplay();
    stepDone("ordering", outcome.phrases.bytesHeld(), "rows in display order");
    table.reset();
    stepDone("table freed", outcome.phrases.bytesHeld(), "rows");
    const bool printed = printRows(outcome, arguments->lengths);
    stepDone("printing", outcome.phrases.bytesHeld(), "rows");
    std::printf("peak %llu KiB; %lld rows\n", static_cast<unsigned long long>(largestPeak),
                static_cast<long long>(outcome.phrases.size()));
    return allRead && printed ? 0 : 1;
}
