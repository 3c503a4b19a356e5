// One count over text files, either plain (the whole text in memory) or partitioned within a
// memory limit, printing its time, peak memory and a checksum of its rows in order, so that the
// two can be compared on the same files.
//
// usage: bench_bounded_once [-l LENGTHS] [--memory-limit MIB] [--spill-dir DIR]
//                           [--files-from LIST] FILE...
//
// LENGTHS as orvanta-count takes them (default 2-19). Without --memory-limit the count is the
// plain one: PhraseTable, then the rows sorted for display. With it, PartitionedCount spills to
// a private folder made in DIR (default the user's private temporary folder, as the programs
// use it). Both give every row of frequency 2 or
// more in display order; each file is one document. LIST names more files, one a line.

#include "extract/TextReader.h"
#include "phrases/LengthList.h"
#include "phrases/PartitionedCount.h"
#include "phrases/PhraseTable.h"

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

using orvanta::RowView;

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

// Changes whenever any row, or the order of the rows, changes.
class Checksum {
public:
    void add(const RowView &row)
    {
        mix(row.phrase);
        mix(std::to_string(row.wordCount) + ' ' + std::to_string(row.frequency) + ' ' +
            std::to_string(row.files) + '\n');
        ++m_rows;
    }
    std::uint64_t value() const { return m_hash; }
    std::uint64_t rows() const { return m_rows; }

private:
    void mix(std::string_view bytes)
    {
        for (const char c : bytes)
            m_hash = (m_hash ^ std::uint8_t(c)) * 1099511628211ULL;
    }
    std::uint64_t m_hash = 14695981039346656037ULL;
    std::uint64_t m_rows = 0;
};

// Reads each file's lines into `count`, one document per file.
template <typename Counter> bool readFiles(const std::vector<QString> &paths, Counter &count)
{
    bool allRead = true;
    for (std::size_t file = 0; file < paths.size(); ++file) {
        const int fd = ::open(QFile::encodeName(paths[file]).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(paths[file]));
            allRead = false;
            continue;
        }
        count.beginDocument(std::uint32_t(file));
        const orvanta::Status read = orvanta::readLines(
            fd, paths[file], [&](QByteArrayView line, orvanta::LinePlace) { count.line(line); });
        ::close(fd);
        if (!read.ok() || !count.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(read.ok() ? count.error() : read.error()));
            return false;
        }
    }
    return allRead;
}

struct PlainCount {
    orvanta::PhraseTable table;
    void beginDocument(std::uint32_t) { table.beginDocument(); }
    void line(QByteArrayView text) { table.countLine(text); }
    bool ok() const { return true; }
    QString error() const { return {}; }
};

struct BoundedCount {
    orvanta::PartitionedCount &count;
    orvanta::Status status;
    void beginDocument(std::uint32_t file) { count.beginDocument(file); }
    void line(QByteArrayView text)
    {
        if (status.ok())
            status = count.countLine(text);
    }
    bool ok() const { return status.ok(); }
    QString error() const { return status.error(); }
};

void report(const char *phase, std::chrono::steady_clock::time_point begin, double cpuBegin)
{
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - begin;
    std::printf("%-8s %8.2f s wall %8.2f s cpu  peak %7.0f MiB\n", phase, wall.count(),
                cpuSeconds() - cpuBegin, peakMebibytes());
    std::fflush(stdout);
}

int plainRun(const std::vector<int> &lengths, const std::vector<QString> &paths, Checksum &sum)
{
    auto begin = std::chrono::steady_clock::now();
    double cpu = cpuSeconds();
    PlainCount count{orvanta::PhraseTable(lengths)};
    const bool allRead = readFiles(paths, count);
    report("read", begin, cpu);
    begin = std::chrono::steady_clock::now();
    cpu = cpuSeconds();
    orvanta::PhraseResults results = count.table.extractRepeatedPhrases();
    results.sortForDisplay();
    for (qsizetype row = 0; row < results.size(); ++row)
        sum.add({results.phraseUtf8(row), results.wordCount(row), results.frequency(row),
                 results.files(row)});
    report("count", begin, cpu);
    std::printf("%zu words\n", count.table.wordCount());
    return allRead ? 0 : 1;
}

int boundedRun(const std::vector<int> &lengths, const std::vector<QString> &paths,
               std::uint64_t limit, const QString &spillDir, Checksum &sum)
{
    orvanta::Result<orvanta::Directory> parent = orvanta::openPrivateFolder();
    if (!spillDir.isEmpty()) {
        orvanta::Descriptor fd(
            ::open(QFile::encodeName(spillDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        parent =
            fd.isOpen()
                ? orvanta::Result<orvanta::Directory>(orvanta::Directory(std::move(fd), spillDir))
                : orvanta::Failure{QStringLiteral("cannot open ") + spillDir};
    }
    if (!parent.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(parent.error()));
        return 2;
    }
    auto created =
        orvanta::PartitionedCount::create(lengths, *parent, orvanta::SpillPlan::forLimit(limit));
    if (!created.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(created.error()));
        return 2;
    }
    orvanta::PartitionedCount &partitioned = **created;
    auto begin = std::chrono::steady_clock::now();
    double cpu = cpuSeconds();
    BoundedCount count{partitioned, {}};
    const bool allRead = readFiles(paths, count);
    if (!count.ok())
        return 1;
    report("read", begin, cpu);
    begin = std::chrono::steady_clock::now();
    cpu = cpuSeconds();
    const orvanta::Status finished = partitioned.finish({}, [&](const RowView &row) {
        sum.add(row);
        return true;
    });
    if (!finished.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(finished.error()));
        return 1;
    }
    report("count", begin, cpu);
    std::printf("%zu words\n", partitioned.wordCount());
    return allRead ? 0 : 1;
}

void addListedFiles(const QString &list, std::vector<QString> &paths)
{
    QFile file(list);
    if (!file.open(QIODevice::ReadOnly))
        std::fprintf(stderr, "cannot read %s\n", qPrintable(list));
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            paths.push_back(QFile::decodeName(line));
    }
}

int usage()
{
    std::fprintf(stderr, "usage: bench_bounded_once [-l LENGTHS] [--memory-limit MIB] "
                         "[--spill-dir DIR] [--files-from LIST] FILE...\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QString lengthText = QStringLiteral("2-19");
    std::uint64_t limitMib = 0;
    QString spillDir;
    std::vector<QString> paths;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == "-l" && hasValue)
            lengthText = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--memory-limit" && hasValue)
            limitMib = QByteArray(argv[++i]).toULongLong();
        else if (arg == "--spill-dir" && hasValue)
            spillDir = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--files-from" && hasValue)
            addListedFiles(QString::fromLocal8Bit(argv[++i]), paths);
        else
            paths.push_back(QString::fromLocal8Bit(argv[i]));
    }
    const orvanta::Result<std::vector<int>> lengths = orvanta::parseLengthRanges(lengthText);
    if (!lengths.ok() || paths.empty())
        return usage();

    Checksum sum;
    const int status = limitMib == 0 ? plainRun(*lengths, paths, sum)
                                     : boundedRun(*lengths, paths, limitMib << 20, spillDir, sum);
    std::printf("%llu rows, checksum %016llx\n", static_cast<unsigned long long>(sum.rows()),
                static_cast<unsigned long long>(sum.value()));
    return status;
}
